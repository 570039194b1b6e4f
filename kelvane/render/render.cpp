#include "kelvane/render/render.h"

#include "kelvane/engine/module1.h"
#include "kelvane/forms/error_words.h"
#include "kelvane/forms/form1.h"
#include "kelvane/forms/form2.h"

#include "platform/core/clock.h"
#include "platform/core/errors.h"
#include "platform/forms/runtime.h"

#include <QApplication>
#include <QDir>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>

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

bool enoughMemoryFor(const QSize& size) {
    const double bytes = 4.0 * size.width() * size.height();
    const double physical = double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE));
    return physical <= 0 || bytes < physical;
}

QString noMemory(const QSize& size) {
    return QStringLiteral("there is not enough memory for a picture of %1 \u00d7 %2 pixels: give "
                          "a smaller --size.")
        .arg(size.width())
        .arg(size.height());
}

// Every step's picture as a numbered file in one folder. Should the run fail, the frames it
// wrote go again, and the folder too when the run made it.
class FrameFiles {
  public:
    FrameFiles(QString folder, int steps) : folder_(std::move(folder)) {
        for (int n = steps; n >= 10; n /= 10)
            ++digits_;
        for (int step = 1; step <= steps; ++step)
            names_.insert(name(step));
    }
    ~FrameFiles() {
        if (kept_)
            return;
        for (const QString& path : written_)
            QFile::remove(path);
        if (made_)
            QDir().rmdir(folder_);
    }
    FrameFiles(const FrameFiles&) = delete;
    FrameFiles& operator=(const FrameFiles&) = delete;

    // Makes the folder where needed; refuses one that holds frames this run would not replace,
    // which a film of the folder would mix with its own.
    QString prepare() {
        QDir dir(folder_);
        if (!dir.exists()) {
            if (!QDir().mkpath(folder_))
                return QStringLiteral("cannot make the folder '%1' for the frames.").arg(folder_);
            made_ = true;
        }
        const QStringList present =
            dir.entryList({QStringLiteral("frame-*.png")}, QDir::Files | QDir::Hidden);
        for (const QString& file : present)
            if (!names_.contains(file))
                return QStringLiteral("the folder '%1' holds frames of another run (%2): remove "
                                      "them or choose another folder.")
                    .arg(folder_, file);
        return {};
    }

    void write(const QImage& picture) {
        ++step_;
        const QString path = QDir(folder_).filePath(name(step_));
        // Whole or not at all, as the picture, but without waiting for the disk at every step:
        // a film of a hundred frames would spend most of its time there.
        QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
        const bool written = file.open() && picture.save(&file, "PNG") && file.flush();
        if (!written || std::rename(QFile::encodeName(file.fileName()).constData(),
                                    QFile::encodeName(path).constData()) != 0)
            throw WriteFailed{QStringLiteral("cannot write the frame '%1': %2")
                                  .arg(path, written ? QString::fromLocal8Bit(std::strerror(errno))
                                                     : file.errorString())};
        file.setAutoRemove(false);
        written_.push_back(path);
    }

    void keep() { kept_ = true; }

  private:
    QString name(int step) const {
        return QStringLiteral("frame-%1.png").arg(step, digits_, 10, QLatin1Char('0'));
    }

    QString folder_;
    int digits_ = 1;
    std::set<QString> names_;
    std::vector<QString> written_;
    int step_ = 0;
    bool made_ = false;
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
    const auto application = offscreenApplication(program);
    // The windows go before the application does.
    struct FreshProgram {
        ~FreshProgram() {
            platform::resetProgram();
            Module1::reset();
        }
    } freshAfterwards;

    // Opened before the run, so that a file that cannot be written is known at once; the
    // picture goes to a temporary file beside it, renamed only once it is whole.
    QSaveFile picture(parameters.picture);
    if (!parameters.picture.isEmpty() && !picture.open(QIODevice::WriteOnly))
        return platform::runFailure(program, QStringLiteral("cannot write the picture to '%1': %2")
                                                 .arg(parameters.picture, picture.errorString()));
    std::unique_ptr<FrameFiles> frames;
    if (!parameters.frames.isEmpty()) {
        frames =
            std::make_unique<FrameFiles>(parameters.frames, stepCount(parameters.size.height()));
        if (const QString problem = frames->prepare(); !problem.isEmpty())
            return platform::runFailure(program, problem);
    }

    try {
        const QImage image = runAnimation(parameters, [&](const QImage& step) {
            if (frames)
                frames->write(step);
        });
        if (!parameters.picture.isEmpty() && (!image.save(&picture, "PNG") || !picture.commit()))
            return platform::runFailure(program,
                                        QStringLiteral("cannot write the picture to '%1': %2")
                                            .arg(parameters.picture, picture.errorString()));
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

int commandLineMode(const platform::ProgramArguments& arguments) {
    QString problem;
    const std::optional<Parameters> parameters = readParameters(arguments, problem);
    if (!parameters)
        return platform::usageError(arguments.program, problem);
    const QuietQt quiet;
    return makePictures(arguments.program, *parameters);
}

} // namespace kelvane::render
