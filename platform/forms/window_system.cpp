#include "platform/forms/window_system.h"

#include "platform/core/command_line.h"

#include <QDir>
#include <QFileInfo>

namespace platform {
namespace {

bool isList(const QString& platforms) {
    return platforms.contains(QLatin1Char(';'));
}

// The plug-in the user chose, without its options (xcb:option=value), or empty. A list
// (wayland;xcb) stays whole: Qt takes the first of it that starts.
QString chosenPlatform(const WindowSystemEnvironment& environment) {
    const QString& chosen = environment.platformOption.isEmpty() ? environment.platformVariable
                                                                 : environment.platformOption;
    if (isList(chosen))
        return chosen.trimmed();
    return chosen.section(QLatin1Char(':'), 0, 0).trimmed();
}

QString xDisplay(const WindowSystemEnvironment& environment) {
    return environment.displayOption.isEmpty() ? environment.display : environment.displayOption;
}

} // namespace

WindowSystemEnvironment WindowSystemEnvironment::current(const CommandLine& commandLine) {
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString socket = QDir::isAbsolutePath(wayland) ? wayland
                                                         : qEnvironmentVariable("XDG_RUNTIME_DIR") +
                                                               QLatin1Char('/') + wayland;
    return {qEnvironmentVariable("QT_QPA_PLATFORM"),
            commandLine.platformOption,
            qEnvironmentVariable("DISPLAY"),
            commandLine.displayOption,
            wayland,
            !wayland.isEmpty() && QFileInfo(socket).exists()};
}

QString preferredPlatform(const WindowSystemEnvironment& environment, bool placesWindows) {
    if (!chosenPlatform(environment).isEmpty())
        return {};
    const bool x11 = !xDisplay(environment).isEmpty();
    // A name left over from another session would only cost a failed try and its messages.
    const bool wayland = !environment.waylandDisplay.isEmpty() && environment.waylandListening;
    if (x11 && (placesWindows || !wayland))
        return QStringLiteral("xcb");
    if (wayland)
        return x11 ? QStringLiteral("wayland;xcb") : QStringLiteral("wayland");
    return {};
}

QString missingDisplay(const WindowSystemEnvironment& environment) {
    const QString platform = chosenPlatform(environment);
    if (platform == QLatin1String("xcb") && xDisplay(environment).isEmpty())
        return QStringLiteral("no X display: DISPLAY is not set (set it to a running X server, "
                              "for example DISPLAY=:0)");
    if (platform.isEmpty() && xDisplay(environment).isEmpty() &&
        environment.waylandDisplay.isEmpty())
        return QStringLiteral("no display: neither DISPLAY (X11) nor WAYLAND_DISPLAY (Wayland) "
                              "is set (start it on a desktop, or set one of them)");
    return {};
}

QString unreachableDisplay(const WindowSystemEnvironment& environment) {
    const QString platform = chosenPlatform(environment);
    if (platform == QLatin1String("xcb"))
        return QStringLiteral("cannot open the X display \"%1\" (set DISPLAY to a running X "
                              "server)")
            .arg(xDisplay(environment));
    if (platform == QLatin1String("wayland"))
        return QStringLiteral("cannot reach the Wayland compositor \"%1\" (set WAYLAND_DISPLAY "
                              "to a running one, and install Qt's Wayland plug-in, qt6-wayland)")
            .arg(environment.waylandDisplay.isEmpty() ? QStringLiteral("wayland-0")
                                                      : environment.waylandDisplay);
    if (platform.isEmpty() || isList(platform))
        return QStringLiteral("cannot reach a display (set DISPLAY to a running X server, or "
                              "WAYLAND_DISPLAY to a running Wayland compositor)");
    return QStringLiteral("cannot start the window system \"%1\" (check QT_QPA_PLATFORM or "
                          "-platform)")
        .arg(platform);
}

QString lostDisplay(const WindowSystemEnvironment& environment) {
    return QStringLiteral(
               "lost the X display \"%1\" (its server ended, or the compositor it ran in)")
        .arg(xDisplay(environment));
}

QString silentDisplay(const WindowSystemEnvironment& environment, int seconds) {
    const QString platform = chosenPlatform(environment);
    const QString silence =
        QStringLiteral("took the connection but gave no answer within %1 s").arg(seconds);
    if (platform == QLatin1String("xcb"))
        return QStringLiteral("the X display \"%1\" ").arg(xDisplay(environment)) + silence;
    return QStringLiteral("the window system ") + silence;
}

QString windowlessDisplay(const QString& platform) {
    return QStringLiteral("the window system \"%1\" cannot show this program's windows (choose "
                          "another with QT_QPA_PLATFORM or -platform)")
        .arg(platform);
}

} // namespace platform
