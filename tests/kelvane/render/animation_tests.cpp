#include "kelvane/render/animation_file.h"
#include "kelvane/render/render.h"
#include "platform/core/whole_file.h"
#include "tests/kelvane/kelvane_fixture.h"
#include "tests/kelvane/render/command_line_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <optional>

#include <gif_lib.h>

namespace kelvane::testing {
namespace {

using namespace std::chrono_literals;
using command_line::AnimationFile;

// What a viewer shows of a GIF: every frame drawn over the ones before, as each says.
struct Shown {
    std::vector<QImage> frames;
    std::vector<int> delays; // hundredths of a second
    bool loopsForever = false;
};

int readBytes(GifFileType* gif, GifByteType* into, int length) {
    auto* bytes = static_cast<std::pair<const QByteArray*, qsizetype>*>(gif->UserData);
    const int count = int(std::min<qsizetype>(length, bytes->first->size() - bytes->second));
    std::memcpy(into, bytes->first->constData() + bytes->second, size_t(count));
    bytes->second += count;
    return count;
}

// Decoded by the library's own reader; nothing when it cannot read the file.
std::optional<Shown> decode(const QByteArray& file) {
    std::pair<const QByteArray*, qsizetype> source{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readBytes, &error);
    if (!gif)
        return std::nullopt;
    const auto close = qScopeGuard([&] { DGifCloseFile(gif, &error); });
    if (DGifSlurp(gif) == GIF_ERROR)
        return std::nullopt;
    Shown shown;
    QImage screen(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
    screen.fill(Qt::black);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        for (int b = 0; b + 1 < image.ExtensionBlockCount; ++b) {
            const ExtensionBlock& block = image.ExtensionBlocks[b];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0) {
                const ExtensionBlock& count = image.ExtensionBlocks[b + 1];
                shown.loopsForever = count.ByteCount == 3 && count.Bytes[0] == 1 &&
                                     count.Bytes[1] == 0 && count.Bytes[2] == 0;
            }
        }
        GraphicsControlBlock control{};
        if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_ERROR)
            return std::nullopt;
        // Each frame is drawn over the one before; nothing else is composited here.
        EXPECT_EQ(control.DisposalMode, DISPOSE_DO_NOT);
        shown.delays.push_back(control.DelayTime);
        const GifImageDesc& area = image.ImageDesc;
        const ColorMapObject* table = area.ColorMap ? area.ColorMap : gif->SColorMap;
        if (!table)
            return std::nullopt;
        for (int y = 0; y < area.Height; ++y)
            for (int x = 0; x < area.Width; ++x) {
                const int index = image.RasterBits[y * area.Width + x];
                if (index == control.TransparentColor)
                    continue;
                const GifColorType colour = table->Colors[index];
                screen.setPixel(area.Left + x, area.Top + y,
                                qRgb(colour.Red, colour.Green, colour.Blue));
            }
        shown.frames.push_back(screen.copy());
    }
    return shown;
}

bool samePixels(const QImage& a, const QImage& b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

using Animation = CommandLineRun;

// The frames are every step, named in the order they are shown, and the animation is those
// frames; the last is the picture.
TEST_F(Animation, EveryFrameIsTheMatchingFramePicture) {
    const struct {
        QStringList options;
        int frames;
        QString first, last;
    } rows[] = {
        {{"size", "100x60"}, 20, "frame-01.png", "frame-20.png"},
        {{"size", "100x24"}, 2, "frame-1.png", "frame-2.png"},
        {{"size", "60x240"}, 110, "frame-001.png", "frame-110.png"},
        {{"size", "120x80", "factor", "2.5", "random", "no"}, 30, "frame-01.png", "frame-30.png"},
        {{"size", "90x70", "factor", "0.5", "dynamic", "no"}, 25, "frame-01.png", "frame-25.png"},
        {{"size", "64x120", "random", "no", "dynamic", "no"}, 50, "frame-01.png", "frame-50.png"},
        {{"size", "50x21"}, 0, {}, {}}, // no step: the still picture alone
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.join(' ').toStdString());
        QDir(path("frames")).removeRecursively();
        const QStringList options =
            row.options + QStringList{"frames",      path("frames"), "animation",
                                      path("a.gif"), "render",       path("last.png")};
        std::string standardError;
        ASSERT_EQ(run(options, standardError), 0) << standardError;
        EXPECT_EQ(standardError, "");
        const QStringList names = QDir(path("frames")).entryList(QDir::Files, QDir::Name);
        ASSERT_EQ(names.size(), row.frames);
        QStringList pictures{path("last.png")};
        if (!names.isEmpty()) {
            EXPECT_EQ(names.first(), row.first);
            EXPECT_EQ(names.last(), row.last);
            pictures.clear();
            for (const QString& name : names)
                pictures.append(QDir(path("frames")).filePath(name));
        }
        const std::optional<Shown> shown = decode(contents("a.gif"));
        ASSERT_TRUE(shown);
        EXPECT_TRUE(shown->loopsForever);
        EXPECT_EQ(shown->delays,
                  row.frames ? std::vector<int>(size_t(row.frames), 30) : std::vector<int>{0});
        ASSERT_EQ(shown->frames.size(), size_t(pictures.size()));
        for (qsizetype i = 0; i < pictures.size(); ++i)
            EXPECT_TRUE(samePixels(shown->frames[size_t(i)], QImage(pictures[i])))
                << pictures[i].toStdString();
        EXPECT_TRUE(samePixels(shown->frames.back(), QImage(path("last.png"))));
        // The same run again replaces its own frames.
        EXPECT_EQ(run(options, standardError), 0) << standardError;
    }
}

// A picture of the size with every pixel a colour of its own, from the first given.
QImage distinctColours(QSize size, int first) {
    QImage picture(size, QImage::Format_RGB32);
    for (int i = 0; i < size.width() * size.height(); ++i)
        picture.setPixel(i % size.width(), i / size.width(), qRgb(0, (first + i) / 256, first + i));
    return picture;
}

// The first pixels of the picture, in reading order, in new colours of their own.
QImage repainted(QImage picture, int count) {
    for (int i = 0; i < count; ++i)
        picture.setPixel(i % picture.width(), i / picture.width(), qRgb(200, i / 256, i % 256));
    return picture;
}

TEST_F(Animation, AFrameWithMoreColoursThanItsTableIsRefused) {
    const QImage wide = distinctColours({16, 17}, 0); // 272 colours
    const QImage full = distinctColours({16, 16}, 0); // 256 colours
    QImage plain(17, 16, QImage::Format_RGB32);       // 256 repainted leave 16 in their rectangle
    plain.fill(Qt::white);
    const struct {
        const char* name;
        std::vector<QImage> pictures;
        QString refusal; // empty: every picture is taken
    } rows[] = {
        {"a first frame of 256 colours", {full}, {}},
        {"a first frame of 272",
         {wide},
         "frame 1 has more colours than the 256 a GIF frame holds, and no colour is changed to "
         "fit"},
        {"255 changed, the rest as it was", {full, repainted(full, 255)}, {}},
        {"256 changed, the rest as it was",
         {plain, repainted(plain, 256)},
         "frame 2 has more colours than the 255 a GIF frame holds, and no colour is changed to "
         "fit"},
        {"all 256 changed", {full, repainted(full, 256)}, {}},
        {"the same picture again", {full, full, repainted(full, 3), repainted(full, 3)}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AnimationFile animation;
        QString refused;
        for (const QImage& picture : row.pictures)
            if (refused = animation.add(picture, 300ms); !refused.isEmpty())
                break;
        EXPECT_EQ(refused, row.refusal);
        if (!row.refusal.isEmpty()) {
            // Refused once, the animation stays refused and is never written.
            EXPECT_EQ(animation.add(row.pictures.front(), 300ms), row.refusal);
            EXPECT_EQ(animation.finish(row.pictures.front()), row.refusal);
            continue;
        }
        ASSERT_EQ(animation.finish(row.pictures.back()), "");
        const std::optional<Shown> shown = decode(animation.bytes());
        ASSERT_TRUE(shown);
        ASSERT_EQ(shown->frames.size(), row.pictures.size());
        for (size_t i = 0; i < row.pictures.size(); ++i)
            EXPECT_TRUE(samePixels(shown->frames[i], row.pictures[i])) << i;
    }
}

TEST_F(Animation, WhatCannotBeWrittenLeavesNothing) {
    using platform::SystemCall;
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.gif"));
    const QStringList gif{"animation", path("a.gif")};
    const std::string toGif =
        "cannot write the animation to '" + path("a.gif").toStdString() + "': ";
    const struct {
        QStringList options;
        std::optional<SystemCall> call;
        int error;
        int status;
        std::string message; // after "kelvane: "
    } rows[] = {
        {{"animation", path("folder.gif")},
         {},
         0,
         1,
         "cannot write the animation to '" + path("folder.gif").toStdString() +
             "': Filename refers to a directory."},
        {{"animation", ""}, {}, 0, 2, "--animation: give the name of the file to write to."},
        {gif + QStringList{"size", "70000x30"},
         {},
         0,
         1,
         "a GIF animation's side can be at most 65535 pixels, not 70000 \u00d7 30: give a "
         "smaller --size."},
        {gif, SystemCall::Write, ENOSPC, 1, toGif + "No space left on device."},
        {gif, SystemCall::Rename, EXDEV, 1, toGif + "Invalid cross-device link."},
        // The animation fails once every frame is written: the frames go too.
        {gif + QStringList{"frames", path("fr")}, SystemCall::Sync, EIO, 1,
         toGif + "Input/output error."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        if (row.call)
            platform::failSystemCall(*row.call, 1, row.error);
        std::string standardError;
        const int status = run(QStringList{"size", "100x60"} + row.options, standardError);
        platform::failNoSystemCall();
        EXPECT_EQ(status, row.status);
        EXPECT_EQ(standardError.substr(0, standardError.find('\n')), "kelvane: " + row.message);
        EXPECT_EQ(files(), QStringList({"folder.gif"}));
    }
}

} // namespace
} // namespace kelvane::testing
