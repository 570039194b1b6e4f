#include "kelvane/render/animation_file.h"

#include "platform/core/whole_file.h"

#include <QHash>
#include <QScopeGuard>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include <gif_lib.h>

namespace kelvane::command_line {
namespace {

// Every viewer reads this application extension as the number of times to play the frames
// again; 0 is forever.
constexpr GifByteType loopIdentifier[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
constexpr GifByteType loopForever[] = {1, 0, 0};

QRgb rgb(QRgb pixel) {
    return pixel & RGB_MASK;
}

// The smallest power of two from 2 up that holds count entries: a GIF colour table's sizes.
int tableSize(int count) {
    int size = 2;
    while (size < count)
        size *= 2;
    return size;
}

int centiseconds(std::chrono::milliseconds shown) {
    const auto hundredths = std::chrono::round<std::chrono::duration<long long, std::centi>>(shown);
    return static_cast<int>(std::clamp<long long>(hundredths.count(), 0, 65535));
}

// Where the two pictures differ, as the smallest rectangle; empty where they are the same.
QRect changedRectangle(const QImage& before, const QImage& after) {
    int top = after.height();
    int bottom = -1;
    int left = after.width();
    int right = -1;
    for (int y = 0; y < after.height(); ++y) {
        const auto* was = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const auto* is = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        int first = 0;
        while (first < after.width() && rgb(was[first]) == rgb(is[first]))
            ++first;
        if (first == after.width())
            continue;
        int last = after.width() - 1;
        while (rgb(was[last]) == rgb(is[last]))
            --last;
        top = std::min(top, y);
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    return bottom < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Visits every pixel of the area in the picture, row by row, with its colour and whether it is
// as it was before; stops when visit returns false, and says whether it went through.
template <typename Visit>
bool eachPixel(const QImage* before, const QImage& picture, const QRect& area, Visit visit) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* is = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        const auto* was =
            before ? reinterpret_cast<const QRgb*>(before->constScanLine(y)) : nullptr;
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb colour = rgb(is[x]);
            if (!visit(x, colour, was && rgb(was[x]) == colour))
                return false;
        }
    }
    return true;
}

} // namespace

// The file as giflib writes it, into memory: a failed append is told to giflib as a short write.
struct AnimationFile::Encoder {
    GifFileType* gif = nullptr;
    QByteArray* bytes = nullptr;
    bool outOfMemory = false;

    static int output(GifFileType* gif, const GifByteType* data, int length) {
        auto* self = static_cast<Encoder*>(gif->UserData);
        try {
            self->bytes->append(reinterpret_cast<const char*>(data), length);
        } catch (const std::bad_alloc&) {
            self->outOfMemory = true;
            return 0;
        }
        return length;
    }

    ~Encoder() {
        if (gif)
            EGifCloseFile(gif, nullptr);
    }
};

AnimationFile::AnimationFile() = default;
AnimationFile::~AnimationFile() = default;

QString AnimationFile::fail(const QString& problem) {
    failed_ = problem;
    encoder_.reset();
    bytes_.clear();
    return problem;
}

QString AnimationFile::giflibFailure(int error) {
    if (encoder_ && encoder_->outOfMemory)
        return fail(QStringLiteral("there is not enough memory for the animation"));
    return fail(QString::fromUtf8(GifErrorString(error)));
}

QString AnimationFile::start(const QSize& size) {
    if (std::max(size.width(), size.height()) > largestAnimationSide)
        return fail(QStringLiteral("a GIF animation's side can be at most %1 pixels, not %2 "
                                   "\u00d7 %3")
                        .arg(largestAnimationSide)
                        .arg(size.width())
                        .arg(size.height()));
    encoder_ = std::make_unique<Encoder>();
    encoder_->bytes = &bytes_;
    int error = 0;
    encoder_->gif = EGifOpen(encoder_.get(), &Encoder::output, &error);
    if (!encoder_->gif)
        return giflibFailure(error);
    GifFileType* gif = encoder_->gif;
    // Each frame brings its own colours: the screen has no table of its own.
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, size.width(), size.height(), 8, 0, nullptr) == GIF_ERROR ||
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof loopIdentifier, loopIdentifier) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof loopForever, loopForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif) == GIF_ERROR)
        return giflibFailure(gif->Error);
    return {};
}

QString AnimationFile::add(const QImage& given, std::chrono::milliseconds shown) {
    if (!failed_.isEmpty())
        return failed_;
    if (finished_)
        return fail(QStringLiteral("the animation is finished"));
    const QImage picture = given.convertToFormat(QImage::Format_RGB32);
    if (picture.isNull())
        return fail(QStringLiteral("there is not enough memory for the animation"));
    if (!encoder_) {
        if (const QString problem = start(picture.size()); !problem.isEmpty())
            return problem;
    } else if (picture.size() != previous_.size()) {
        return fail(QStringLiteral("a frame of %1 \u00d7 %2 pixels in an animation of %3 \u00d7 "
                                   "%4")
                        .arg(picture.width())
                        .arg(picture.height())
                        .arg(previous_.width())
                        .arg(previous_.height()));
    }
    const bool first = previous_.isNull();
    QRect area = first ? picture.rect() : changedRectangle(previous_, picture);
    // A frame like the one before still holds its time, in a pixel that shows what was there.
    if (area.isEmpty())
        area = QRect(0, 0, 1, 1);

    // The frame's colours, and whether a pixel in its rectangle stays as it was; counted up to
    // one more than a table takes.
    QHash<QRgb, GifPixelType> index;
    bool unchanged = false;
    std::vector<GifColorType> colours;
    eachPixel(first ? nullptr : &previous_, picture, area, [&](int, QRgb colour, bool same) {
        if (same) {
            unchanged = true;
            return true;
        }
        if (index.contains(colour))
            return true;
        if (colours.size() > size_t(frameTableColours))
            return false;
        index.insert(colour, static_cast<GifPixelType>(colours.size()));
        colours.push_back({static_cast<GifByteType>(qRed(colour)),
                           static_cast<GifByteType>(qGreen(colour)),
                           static_cast<GifByteType>(qBlue(colour))});
        return true;
    });
    // A frame that leaves nothing as it was may use every entry of its table.
    const int allowed = unchanged ? frameTableColours - 1 : frameTableColours;
    if (int(colours.size()) > allowed)
        return fail(QStringLiteral("frame %1 has more colours than the %2 a GIF frame holds, and "
                                   "no colour is changed to fit")
                        .arg(frames_ + 1)
                        .arg(allowed));
    const int transparent = unchanged ? int(colours.size()) : NO_TRANSPARENT_COLOR;
    colours.resize(tableSize(int(colours.size()) + (unchanged ? 1 : 0)), GifColorType{0, 0, 0});

    GifFileType* gif = encoder_->gif;
    const GraphicsControlBlock control{DISPOSE_DO_NOT, false, centiseconds(shown), transparent};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ColorMapObject* table = GifMakeMapObject(int(colours.size()), colours.data());
    if (!table)
        return fail(QStringLiteral("there is not enough memory for the animation"));
    const auto freeTable = qScopeGuard([&] { GifFreeMapObject(table); });
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) == GIF_ERROR ||
        EGifPutImageDesc(gif, area.left(), area.top(), area.width(), area.height(), false, table) ==
            GIF_ERROR)
        return giflibFailure(gif->Error);
    std::vector<GifPixelType> line(size_t(area.width()));
    const bool written =
        eachPixel(first ? nullptr : &previous_, picture, area, [&](int x, QRgb colour, bool same) {
            line[size_t(x - area.left())] = same ? GifPixelType(transparent) : index.value(colour);
            return x < area.right() || EGifPutLine(gif, line.data(), area.width()) != GIF_ERROR;
        });
    if (!written)
        return giflibFailure(gif->Error);
    previous_ = picture;
    ++frames_;
    return {};
}

QString AnimationFile::finish(const QImage& stillPicture) {
    if (!failed_.isEmpty())
        return failed_;
    if (finished_)
        return {};
    if (frames_ == 0)
        if (const QString problem = add(stillPicture, std::chrono::milliseconds(0));
            !problem.isEmpty())
            return problem;
    int error = 0;
    GifFileType* gif = std::exchange(encoder_->gif, nullptr);
    if (EGifCloseFile(gif, &error) == GIF_ERROR)
        return giflibFailure(error);
    encoder_.reset();
    previous_ = QImage();
    finished_ = true;
    return {};
}

QString AnimationFile::write(const QByteArray& path) const {
    if (!finished_)
        return failed_.isEmpty() ? QStringLiteral("the animation is not finished") : failed_;
    return platform::writeWhole(
        path,
        [&](QIODevice& device) {
            device.write(bytes_);
            return QString();
        },
        true);
}

} // namespace kelvane::command_line
