#include "kelvane/render/render.h"

#include "kelvane/engine/module1.h"
#include "kelvane/forms/error_words.h"
#include "kelvane/forms/form1.h"
#include "kelvane/forms/form2.h"
#include "kelvane/render/animation_file.h"
#include "kelvane/render/picture_file.h"
#include "platform/core/whole_file.h"

#include "platform/core/clock.h"
#include "platform/core/errors.h"
#include "platform/core/stop_signals.h"
#include "platform/forms/runtime.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>

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

namespace kelvane::render {
namespace {

// A failure to write, on its way out of the run.
struct WriteFailed {
    QString problem;
};

QImage visiblePicture(const Form2& display) {
    // The retained image keeps the largest size the window has had; the window shows its corner.
    const QImage& image = display.picture();
    if (image.size() == display.size())
        return image;
    return image.copy(QRect(QPoint(0, 0), display.size()));
}

// What the mode prints is its own message alone: Qt's notes on the environment (no runtime
// folder, no session bus) are about a desktop the mode does not use.
class QuietQt {
  public:
    QuietQt() { previous_ = qInstallMessageHandler(pass); }
    ~QuietQt() { qInstallMessageHandler(previous_); }
    QuietQt(const QuietQt&) = delete;
    QuietQt& operator=(const QuietQt&) = delete;

  private:
    static void pass(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if ((type == QtCriticalMsg || type == QtFatalMsg) && previous_)
            previous_(type, context, text);
    }
    static inline QtMessageHandler previous_ = nullptr;
};

// The application the windows need, on the plug-in that draws into memory alone: no display is
// needed, whatever DISPLAY says.
std::unique_ptr<QApplication> offscreenApplication(const QString& program) {
    if (QCoreApplication::instance())
        return nullptr;
    // A session bus is of no use without a desktop, and none is to be launched for the mode.
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    static QByteArray name;
    static char platformOption[] = "-platform";
    static char offscreen[] = "offscreen";
    static char* argv[] = {nullptr, platformOption, offscreen, nullptr};
    static int argc = 3;
    name = program.toLocal8Bit();
    argv[0] = name.data();
    return std::make_unique<QApplication>(argc, argv);
}

// What the run holds at its peak: the display window's image at its design size, made before
// the size is known, and the one its first clear fits to the size, made while the first is
// still there. A frame is the window's own image, written as it is, row by row.
double bytesNeeded(const QSize& size) {
    const QSize design = Parameters{}.size;
    return 4.0 * (double(design.width()) * design.height() + double(size.width()) * size.height());
}

bool enoughMemoryFor(const QSize& size) {
    const double physical = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE));
    return physical <= 0 || bytesNeeded(size) < physical;
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

QString runErrorWords(const platform::RuntimeError& error, const QSize& size) {
    if (error.kind() == platform::ErrorKind::OutOfMemory)
        return noMemory(size);
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
    const auto application = offscreenApplication(program);
    // The windows go before the application does.
    struct FreshProgram {
        ~FreshProgram() {
            platform::resetProgram();
            Module1::reset();
        }
    } freshAfterwards;

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
                                              stepCount(parameters.size.height()));
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
    const auto stepTime = [&] {
        const auto now = platform::activeClock().monotonic();
        return std::chrono::duration_cast<std::chrono::milliseconds>(now -
                                                                     std::exchange(stepBegan, now));
    };
    warnOfLongRun(program, parameters);

    try {
        const QImage image = runAnimation(parameters, [&](const QImage& step) {
            stopWhenAsked();
            if (frames)
                frames->write(step);
            if (animation)
                if (const QString problem = animation->add(step, stepTime()); !problem.isEmpty())
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
        return platform::runFailure(program, runErrorWords(error, parameters.size));
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

QImage runAnimation(const Parameters& parameters,
                    const std::function<void(const QImage&)>& atEachStep) {
    using platform::ensureInstance;

    platform::resetProgram();
    Module1::reset();
    platform::FakeClock clock;
    platform::Clock& previousClock = platform::activeClock();
    platform::setClock(&clock);
    struct Restore {
        platform::Clock& clock;
        ~Restore() {
            platform::setDispatchHook(nullptr);
            platform::setWarningReporter(nullptr);
            platform::setClock(&clock);
        }
    } restore{previousClock};

    Form1& control = ensureInstance<Form1>();
    control.Tnc->setText(parameters.factor);
    control.TRandom->setText(parameters.random ? QStringLiteral("Yes") : QStringLiteral("No"));
    control.TDynamic->setText(parameters.dynamic ? QStringLiteral("Yes") : QStringLiteral("No"));
    Form2& display = ensureInstance<Form2>();
    display.resize(parameters.size);

    // A factor the run refuses has been refused before; should one get here all the same, no
    // message box may wait for a click nobody can give.
    platform::setWarningReporter(
        [](const QString& message) { throw std::invalid_argument(message.toStdString()); });
    if (atEachStep)
        platform::setDispatchHook([&] { atEachStep(visiblePicture(display)); });
    Module1::RunExpansion();
    return visiblePicture(display);
}

double picturesToWrite(const Parameters& parameters) {
    return (parameters.framesName.isEmpty() ? 0 : stepCount(parameters.size.height())) +
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
    const QuietQt quiet;
    return makePictures(arguments.program, named);
}

} // namespace kelvane::render
