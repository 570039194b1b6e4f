#include "kelvane/render/render.h"

#include "kelvane/engine/module1.h"
#include "kelvane/forms/form1.h"
#include "kelvane/render/animation_file.h"
#include "kelvane/render/picture_file.h"
#include "platform/core/clock.h"
#include "platform/core/errors.h"
#include "platform/core/random.h"
#include "platform/core/scale_mode.h"
#include "platform/core/stop_signals.h"
#include "platform/core/whole_file.h"
#include "platform/forms/canvas.h"
#include "platform/forms/qt_colour.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QStyle>
#include <QStyleFactory>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>
#include <tuple>
#include <utility>

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::command_line {
namespace {

// A failure to write, on its way out of the run.
struct WriteFailed {
    QString problem;
};

// The display window's background where no desktop theme sets one, as on the tests' own X
// server: the window colour of Qt's own style, which needs no application to tell.
platform::Colour windowBackground() {
    const std::unique_ptr<QStyle> style(QStyleFactory::create(QStringLiteral("Fusion")));
    platform::checkObjectCall(style != nullptr, QStringLiteral("Qt's own style is missing."));
    return platform::fromQColor(style->standardPalette().color(QPalette::Window));
}

// The two windows as the command line has them: boxes that hold what the options say, and a
// display window that is a canvas of the size asked for, without a frame, at 96 dots per inch.
class Stage final : public Module1::ControlWindow, public Module1::DisplayWindow {
  public:
    explicit Stage(const Parameters& parameters)
        : parameters_(parameters), background_(windowBackground()),
          canvas_(parameters.size, background_, designImage) {}

    const QImage& picture() const { return canvas_.picture(); }

    QString factorText() const override { return parameters_.factor; }
    QString dynamicText() const override { return yesNo(parameters_.dynamic); }
    QString randomText() const override { return yesNo(parameters_.random); }
    // A picture shows neither the age nor the legend.
    void setAgeText(const QString&) override {}
    void setSwatchColour(int, platform::Colour) override {}

    void cls() override { canvas_.cls(background_); }
    void circle(float x, float y, float radius, platform::Colour colour) override {
        canvas_.circle(x, y, radius, colour);
    }
    void pset(float x, float y, platform::Colour colour) override { canvas_.pset(x, y, colour); }

    float widthTwips() const override { return scaleWidth() * twipsPerPixel; }
    float heightTwips() const override { return scaleHeight() * twipsPerPixel; }
    std::int16_t scaleMode() const override { return platform::Pixels; }
    float scaleWidth() const override { return static_cast<float>(canvas_.area().width()); }
    float scaleHeight() const override { return static_cast<float>(canvas_.area().height()); }

  private:
    static constexpr double dotsPerInch = 96;
    static constexpr float twipsPerPixel = 1440 / dotsPerInch;
    // The files say the density too.
    static QImage designImage(QSize size) {
        QImage image = platform::Canvas::plainImage(size);
        const int dotsPerMetre = qRound(dotsPerInch / 0.0254);
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
        return image;
    }
    static QString yesNo(bool yes) { return yes ? QStringLiteral("Yes") : QStringLiteral("No"); }

    const Parameters& parameters_;
    const platform::Colour background_;
    platform::Canvas canvas_;
};

// What the run holds at its peak: the picture, which every frame is written from as it is.
bool enoughMemoryFor(const QSize& size) {
    const double physical = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE));
    return physical <= 0 || 4.0 * size.width() * size.height() < physical;
}

QString noMemory(const QSize& size) {
    return QStringLiteral("there is not enough memory for a picture of %1 \u00d7 %2 pixels: give "
                          "a smaller --size.")
        .arg(size.width())
        .arg(size.height());
}

// Seconds the PNG writer takes for a pixel on this machine, measured on a picture of the design
// size: writing the pictures is what a long run spends its time on.
double secondsPerPixel() {
    QImage sample(Parameters{}.size, QImage::Format_RGB32);
    sample.fill(Qt::white);
    QElapsedTimer timer;
    timer.start();
    int written = 0;
    do {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        sample.save(&buffer, "PNG");
        ++written;
    } while (timer.elapsed() < 20);
    return timer.nsecsElapsed() * 1e-9 / (double(written) * sample.width() * sample.height());
}

QString minutesText(double seconds) {
    const auto minutes = static_cast<long long>(std::ceil(seconds / 60));
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    if (minutes < 48 * 60)
        return QStringLiteral("%1 h %2 min")
            .arg(minutes / 60)
            .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 days").arg(minutes / (24 * 60));
}

// A run that will take minutes says so before it starts, so that whoever waits knows why and
// may stop it; a short one says nothing, and is not measured.
void warnOfLongRun(const QString& program, const Parameters& parameters) {
    constexpr double fewPixels = 1e8; // seconds at most: not worth the measuring
    if (picturesToWrite(parameters) * parameters.size.width() * parameters.size.height() <
        fewPixels)
        return;
    const QString note = longRunNote(parameters, secondsPerPixel());
    if (note.isEmpty())
        return;
    std::fputs(
        (program + QStringLiteral(": ") + note + QLatin1Char('\n')).toLocal8Bit().constData(),
        stderr);
    std::fflush(stderr);
}

// The run ended by a signal, on its way out.
struct Stopped {
    int signal;
};

void stopWhenAsked() {
    if (const int signal = platform::StopSignals::caught(); signal != 0)
        throw Stopped{signal};
}

// Every step's picture as a numbered file in one folder. Should the run fail, the frames it
// wrote go again, and the folders it made too.
class FrameFiles {
  public:
    FrameFiles(QByteArray folder, QString shown, int steps)
        : folder_(std::move(folder)), shown_(std::move(shown)) {
        for (int n = steps; n >= 10; n /= 10)
            ++digits_;
        for (int step = 1; step <= steps; ++step)
            names_.insert(name(step).toLatin1());
    }
    ~FrameFiles() {
        if (kept_)
            return;
        for (const QByteArray& path : written_)
            ::unlink(path.constData());
        for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder)
            ::rmdir(folder->constData());
    }
    FrameFiles(const FrameFiles&) = delete;
    FrameFiles& operator=(const FrameFiles&) = delete;

    // Makes the folder where needed; refuses one that holds frames this run would not replace,
    // which a film of the folder would mix with its own, and a name it would replace that is
    // not a file.
    QString prepare() {
        if (const QString problem = makeFolder(); !problem.isEmpty())
            return QStringLiteral("cannot make the folder '%1' for the frames: %2")
                .arg(shown_, problem);
        DIR* folder = ::opendir(folder_.constData());
        if (!folder)
            return QStringLiteral("cannot read the folder '%1' for the frames: %2")
                .arg(shown_, QString::fromLocal8Bit(std::strerror(errno)));
        QString problem;
        while (const dirent* entry = ::readdir(folder)) {
            const QByteArray file(entry->d_name);
            if (::fnmatch("frame-*.png", file.constData(), FNM_CASEFOLD) != 0)
                continue;
            if (!names_.contains(file)) {
                problem = QStringLiteral("the folder '%1' holds frames of another run (%2): "
                                         "remove them or choose another folder.")
                              .arg(shown_, QFile::decodeName(file));
                break;
            }
            if (const QString refused = platform::refusal(path(file)); !refused.isEmpty()) {
                problem =
                    QStringLiteral("cannot write the frame '%1': %2").arg(shownPath(file), refused);
                break;
            }
        }
        ::closedir(folder);
        return problem;
    }

    void write(const QImage& picture) {
        const QByteArray file = name(++step_).toLatin1();
        // Whole or not at all, as the picture, but without waiting for the disk at every step:
        // a film of a hundred frames would spend most of its time there.
        if (const QString problem = writePicture(path(file), picture, false); !problem.isEmpty())
            throw WriteFailed{
                QStringLiteral("cannot write the frame '%1': %2").arg(shownPath(file), problem)};
        written_.push_back(path(file));
    }

    void keep() { kept_ = true; }

  private:
    QString name(int step) const {
        return QStringLiteral("frame-%1.png").arg(step, digits_, 10, QLatin1Char('0'));
    }
    QByteArray path(const QByteArray& file) const { return folder_ + '/' + file; }
    QString shownPath(const QByteArray& file) const {
        return QDir(shown_).filePath(QString::fromLatin1(file));
    }

    // Every folder of the path that is not there yet, as mkdir -p.
    QString makeFolder() {
        for (qsizetype end = 1; end <= folder_.size(); ++end) {
            if (end < folder_.size() && folder_[end] != '/')
                continue;
            const QByteArray prefix = folder_.left(end);
            if (prefix.endsWith('/'))
                continue;
            if (::mkdir(prefix.constData(), 0777) == 0) {
                made_.push_back(prefix);
                continue;
            }
            const int error = errno;
            struct stat status {};
            if (::stat(prefix.constData(), &status) == 0)
                if (S_ISDIR(status.st_mode))
                    continue;
            return QString::fromLocal8Bit(std::strerror(error == EEXIST ? ENOTDIR : error));
        }
        return {};
    }

    QByteArray folder_;
    QString shown_;
    int digits_ = 1;
    std::set<QByteArray> names_;
    std::vector<QByteArray> written_;
    std::vector<QByteArray> made_;
    int step_ = 0;
    bool kept_ = false;
};

QString runErrorWords(const platform::RuntimeError& error, const Parameters& parameters) {
    if (error.kind() == platform::ErrorKind::OutOfMemory)
        return noMemory(parameters.size);
    const QString words = kelvane::errorWords(error);
    return (words.isEmpty() ? platform::describe(error.kind()) : words).simplified();
}

int makePictures(const QString& program, const Parameters& parameters) {
    if (!enoughMemoryFor(parameters.size))
        return platform::runFailure(program, noMemory(parameters.size));
    for (const auto& [kind, largest, wanted] :
         {std::tuple{QStringLiteral("a PNG picture"), largestPictureSide, true},
          {QStringLiteral("a GIF animation"), largestAnimationSide,
           !parameters.animationName.isEmpty()}})
        if (wanted && std::max(parameters.size.width(), parameters.size.height()) > largest)
            return platform::runFailure(
                program, QStringLiteral("%1's side can be at most %2 pixels, not %3 \u00d7 %4: "
                                        "give a smaller --size.")
                             .arg(kind)
                             .arg(largest)
                             .arg(parameters.size.width())
                             .arg(parameters.size.height()));

    // From before the first folder is made, so that a signal never leaves one behind.
    const platform::StopSignals stopSignals;
    // Looked at before the run, so that a name that cannot take the picture is known at once.
    const auto pictureProblem = [&](const QString& problem) {
        return platform::runFailure(program, QStringLiteral("cannot write the picture to '%1': %2")
                                                 .arg(parameters.picture, problem));
    };
    const bool picture = !parameters.pictureName.isEmpty();
    if (picture)
        if (const QString problem = platform::refusal(parameters.pictureName); !problem.isEmpty())
            return pictureProblem(problem);
    std::unique_ptr<FrameFiles> frames;
    if (!parameters.framesName.isEmpty()) {
        frames = std::make_unique<FrameFiles>(parameters.framesName, parameters.frames,
                                              Module1::stepCount(parameters.size.height()));
        if (const QString problem = frames->prepare(); !problem.isEmpty())
            return platform::runFailure(program, problem);
    }
    std::unique_ptr<AnimationFile> animation;
    const auto animationProblem = [&](const QString& problem) {
        return QStringLiteral("cannot write the animation to '%1': %2.")
            .arg(parameters.animation, problem);
    };
    if (!parameters.animationName.isEmpty()) {
        if (const QString problem = platform::refusal(parameters.animationName); !problem.isEmpty())
            return platform::runFailure(program, animationProblem(problem));
        animation = std::make_unique<AnimationFile>();
    }
    // Each frame of the animation lasts as long as its step did on the run's clock, which starts
    // with the run.
    platform::Clock::Duration stepBegan{};
    const auto stepTime = [&](platform::Clock::Duration now) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now -
                                                                     std::exchange(stepBegan, now));
    };
    warnOfLongRun(program, parameters);

    try {
        const QImage image = runAnimation(parameters, [&](const QImage& step,
                                                          platform::Clock::Duration at) {
            stopWhenAsked();
            if (frames)
                frames->write(step);
            if (animation)
                if (const QString problem = animation->add(step, stepTime(at)); !problem.isEmpty())
                    throw WriteFailed{animationProblem(problem)};
        });
        // Once the last picture is being written, the run is done.
        stopWhenAsked();
        if (picture)
            if (const QString problem = writePicture(parameters.pictureName, image, true);
                !problem.isEmpty())
                return pictureProblem(problem);
        if (animation) {
            QString problem = animation->finish(image);
            if (problem.isEmpty())
                problem = animation->write(parameters.animationName);
            if (!problem.isEmpty())
                return platform::runFailure(program, animationProblem(problem));
        }
    } catch (const Stopped& stopped) {
        platform::runFailure(program,
                             QStringLiteral("stopped by %1: %2")
                                 .arg(stopped.signal == SIGINT ? QStringLiteral("SIGINT")
                                                               : QStringLiteral("SIGTERM"),
                                      frames ? QStringLiteral("the frames this run wrote are "
                                                              "removed.")
                                             : QStringLiteral("no picture written.")));
        return platform::StopSignals::exitStatus(stopped.signal);
    } catch (const std::invalid_argument& refused) {
        return platform::usageError(program, QString::fromStdString(refused.what()));
    } catch (const WriteFailed& failure) {
        return platform::runFailure(program, failure.problem);
    } catch (const platform::RuntimeError& error) {
        return platform::runFailure(program, runErrorWords(error, parameters));
    } catch (const std::bad_alloc&) {
        return platform::runFailure(program, noMemory(parameters.size));
    }
    if (frames)
        frames->keep();
    return 0;
}

// The program's arguments as they were given, when main kept them.
QList<QByteArray>& argumentBytes() {
    static QList<QByteArray> bytes;
    return bytes;
}

} // namespace

QImage runAnimation(const Parameters& parameters, const StepWatch& atEachStep) {
    // As at a program start: the engine's tables at zero, the random sequence from its beginning.
    Module1::reset();
    platform::resetRandom();
    Stage stage(parameters);
    platform::FakeClock pausesTakeNoTime;
    const auto showStep = [&] {
        if (atEachStep)
            atEachStep(stage.picture(), pausesTakeNoTime.monotonic());
    };
    // A factor the run refuses has been refused before; should one get here all the same, it is a
    // usage error.
    const auto refuse = [](const QString& message) {
        throw std::invalid_argument(message.toStdString());
    };
    Module1::RunExpansion({stage, stage, pausesTakeNoTime, showStep, refuse});
    return stage.picture();
}

double picturesToWrite(const Parameters& parameters) {
    return (parameters.framesName.isEmpty() ? 0 : Module1::stepCount(parameters.size.height())) +
           (parameters.pictureName.isEmpty() ? 0 : 1);
}

QString longRunNote(const Parameters& parameters, double secondsPerPixel) {
    constexpr double longRun = 180; // seconds
    const QSize& size = parameters.size;
    const double pictures = picturesToWrite(parameters);
    const double seconds = pictures * size.width() * size.height() * secondsPerPixel;
    if (seconds < longRun)
        return {};
    return QStringLiteral("writing %1 of %2 \u00d7 %3 pixels takes about %4; Ctrl+C stops the "
                          "run and keeps nothing of it.")
        .arg(pictures == 1 ? QStringLiteral("a picture")
                           : QStringLiteral("%1 pictures").arg(pictures))
        .arg(size.width())
        .arg(size.height())
        .arg(minutesText(seconds));
}

void keepArgumentBytes(int argc, const char* const* argv) {
    argumentBytes().clear();
    for (int i = 0; i < argc; ++i)
        argumentBytes().append(QByteArray(argv[i]));
}

int commandLineMode(const platform::ProgramArguments& arguments) {
    QString problem;
    const std::optional<Parameters> parameters = readParameters(arguments, problem);
    if (!parameters)
        return platform::usageError(arguments.program, problem);
    Parameters named = *parameters;
    if (!argumentBytes().isEmpty())
        useArgumentBytes(named, argumentBytes());
    return makePictures(arguments.program, named);
}

} // namespace kelvane::command_line
