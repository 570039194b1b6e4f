#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <chrono>
#include <memory>

namespace kelvane::command_line {

// The longest side a GIF image takes, in pixels: its sizes are 16-bit numbers.
inline constexpr int largestAnimationSide = 65535;

// The colours a GIF frame's table holds; a frame that leaves some pixels as they were keeps one
// entry for them. A frame with more colours is refused rather than shown in other colours.
inline constexpr int frameTableColours = 256;

// An animated GIF that loops forever, built frame by frame in memory and written whole at the
// end. Each frame holds only the rectangle that changed since the one before, drawn over it, and
// in that rectangle the pixels that stayed are transparent: every frame decodes to exactly the
// picture it was given.
class AnimationFile {
  public:
    AnimationFile();
    ~AnimationFile();
    AnimationFile(const AnimationFile&) = delete;
    AnimationFile& operator=(const AnimationFile&) = delete;

    // Adds the picture, shown for that long (in hundredths of a second, as GIF counts). Every
    // picture has the size of the first. Returns empty, or why the picture cannot be a frame:
    // too many colours, a size unlike the first one's or beyond GIF's, no memory. After a
    // refusal the animation takes no more frames.
    QString add(const QImage& picture, std::chrono::milliseconds shown);

    // How many frames it holds.
    int frames() const { return frames_; }

    // Ends the animation: the still picture stands as its only frame when no frame was added, so
    // that the file shows what a run without steps leaves. Returns empty or why it cannot end;
    // afterwards bytes() is the whole file.
    QString finish(const QImage& stillPicture);
    const QByteArray& bytes() const { return bytes_; }

    // Writes the finished file to path as platform::writeWhole does: whole or not at all.
    QString write(const QByteArray& path) const;

  private:
    QString start(const QSize& size);
    QString fail(const QString& problem);
    QString giflibFailure(int error);

    struct Encoder;
    std::unique_ptr<Encoder> encoder_;
    QImage previous_;
    QByteArray bytes_;
    QString failed_;
    int frames_ = 0;
    bool finished_ = false;
};

} // namespace kelvane::command_line
