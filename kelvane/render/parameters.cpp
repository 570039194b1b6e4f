#include "kelvane/render/parameters.h"

#include "platform/core/command_line.h"
#include "platform/core/errors.h"
#include "platform/core/text.h"

#include <QFile>
#include <QRegularExpression>
#include <QWidget>

#include <limits>

namespace kelvane::command_line {
namespace {

const QString factorName = QStringLiteral("factor");
const QString randomName = QStringLiteral("random");
const QString dynamicName = QStringLiteral("dynamic");
const QString sizeName = QStringLiteral("size");
const QString renderName = QStringLiteral("render");
const QString framesName = QStringLiteral("frames");
const QString animationName = QStringLiteral("animation");

// The expansion factor as the box reads it, with nothing before or after the number: the window
// is lenient with what follows a number, a command line is not.
bool readFactor(const QString& text, QString& problem) {
    problem = platform::plainNumberProblem(factorName, text);
    if (!problem.isEmpty())
        return false;
    const std::optional<double> factor = platform::readableNumber(text);
    if (!factor) {
        problem = QStringLiteral("--factor: %1 is too large to read as a number.")
                      .arg(platform::quotedArgument(text));
        return false;
    }
    if (!(*factor > 0)) {
        problem = QStringLiteral("--factor: the expansion factor must be a number greater than 0, "
                                 "not %1.")
                      .arg(platform::quotedArgument(text));
        return false;
    }
    return true;
}

std::optional<bool> readYesNo(const QString& name, const QString& text, QString& problem) {
    if (text.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0)
        return false;
    problem =
        QStringLiteral("--%1: give yes or no, not %2.").arg(name, platform::quotedArgument(text));
    return std::nullopt;
}

std::optional<QSize> readSize(const QString& text, QString& problem) {
    static const QRegularExpression pattern(QStringLiteral(R"(\A([0-9]+)[xX]([0-9]+)\z)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        problem = QStringLiteral("--size: give the width and height in pixels as WIDTHxHEIGHT, as "
                                 "in 410x364, not %1.")
                      .arg(platform::quotedArgument(text));
        return std::nullopt;
    }
    // Digits beyond what a number holds are a side far too large, not a malformed size.
    const auto side = [&](int group) {
        bool read = false;
        const qlonglong value = match.captured(group).toLongLong(&read);
        return read ? value : std::numeric_limits<qlonglong>::max();
    };
    const qlonglong width = side(1);
    const qlonglong height = side(2);
    if (width < 1 || height < 1) {
        problem = QStringLiteral("--size: the width and the height must be at least 1 pixel, not "
                                 "%1.")
                      .arg(platform::quotedArgument(text));
        return std::nullopt;
    }
    if (width > QWIDGETSIZE_MAX || height > QWIDGETSIZE_MAX) {
        problem = QStringLiteral("--size: a window's side can be at most %1 pixels, not %2.")
                      .arg(QWIDGETSIZE_MAX)
                      .arg(platform::quotedArgument(text));
        return std::nullopt;
    }
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

bool readPath(const platform::ProgramArguments& arguments, const QString& name, QString& path,
              QString& problem) {
    if (!arguments.isSet(name))
        return true;
    path = arguments.value(name);
    if (path.isEmpty())
        problem =
            QStringLiteral("--%1: give the name of the %2 to write to.")
                .arg(name, name == framesName ? QStringLiteral("folder") : QStringLiteral("file"));
    return !path.isEmpty();
}

} // namespace

std::vector<platform::ProgramOption> options() {
    return {
        {renderName, QStringLiteral("file"),
         QStringLiteral("Run the animation at once, without a window, and write its final "
                        "picture to <file> as PNG. <file> is a new name or a regular file: a "
                        "device, a pipe or the standard output (/dev/stdout) is refused.")},
        {framesName, QStringLiteral("folder"),
         QStringLiteral("Write the picture of every step to <folder> as PNG files: frame-001.png, "
                        "frame-002.png and on.")},
        {animationName, QStringLiteral("file"),
         QStringLiteral("Write every step's picture to <file> as one animated GIF that loops, "
                        "each shown for 0.3 s as in the window, for a slide or a web page: "
                        "--animation expansion.gif. <file> is as for --render.")},
        {factorName, QStringLiteral("number"),
         QStringLiteral("Expansion factor, a number greater than 0 (default 1).")},
        {randomName, QStringLiteral("yes|no"),
         QStringLiteral("Random directions, or evenly spread ones (default yes).")},
        {dynamicName, QStringLiteral("yes|no"),
         QStringLiteral("Particles that spread out, or a field that stays (default yes).")},
        {sizeName, QStringLiteral("WxH"),
         QStringLiteral("Size of the display window in pixels (default 410x364).")},
    };
}

std::optional<Parameters> readParameters(const platform::ProgramArguments& arguments,
                                         QString& problem) {
    Parameters parameters;
    if (arguments.isSet(factorName)) {
        if (!readFactor(arguments.value(factorName), problem))
            return std::nullopt;
        parameters.factor = arguments.value(factorName);
    }
    for (const auto& [name, toggle] :
         {std::pair{&randomName, &parameters.random}, {&dynamicName, &parameters.dynamic}}) {
        if (!arguments.isSet(*name))
            continue;
        const std::optional<bool> yes = readYesNo(*name, arguments.value(*name), problem);
        if (!yes)
            return std::nullopt;
        *toggle = *yes;
    }
    if (arguments.isSet(sizeName)) {
        const std::optional<QSize> size = readSize(arguments.value(sizeName), problem);
        if (!size)
            return std::nullopt;
        parameters.size = *size;
    }
    if (!readPath(arguments, renderName, parameters.picture, problem) ||
        !readPath(arguments, framesName, parameters.frames, problem) ||
        !readPath(arguments, animationName, parameters.animation, problem))
        return std::nullopt;
    parameters.pictureName = QFile::encodeName(parameters.picture);
    parameters.framesName = QFile::encodeName(parameters.frames);
    parameters.animationName = QFile::encodeName(parameters.animation);
    // One would be written over the other once the run is done.
    if (!parameters.picture.isEmpty() && parameters.picture == parameters.animation) {
        problem = QStringLiteral("--%1 and --%2 name the same file, %3: give each its own.")
                      .arg(renderName, animationName, platform::quotedArgument(parameters.picture));
        return std::nullopt;
    }
    if (parameters.picture.isEmpty() && parameters.frames.isEmpty() &&
        parameters.animation.isEmpty()) {
        problem = QStringLiteral("say where the pictures go: give --render FILE, --frames FOLDER, "
                                 "--animation FILE.gif or more than one.");
        return std::nullopt;
    }
    return parameters;
}

void useArgumentBytes(Parameters& parameters, const QList<QByteArray>& arguments) {
    // Each byte a character of its own, so that the bytes come back whole; the options' names
    // are ASCII, and the command line is read alike.
    QStringList bytes;
    for (const QByteArray& argument : arguments)
        bytes.append(QString::fromLatin1(argument));
    const platform::CommandLine read = platform::readCommandLine(bytes, {}, options());
    if (read.action != platform::CommandLine::Action::ProgramMode)
        return;
    const platform::ProgramArguments& given = read.programArguments;
    if (given.isSet(renderName))
        parameters.pictureName = given.value(renderName).toLatin1();
    if (given.isSet(framesName))
        parameters.framesName = given.value(framesName).toLatin1();
    if (given.isSet(animationName))
        parameters.animationName = given.value(animationName).toLatin1();
}

} // namespace kelvane::command_line
