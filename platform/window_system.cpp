#include "window_system.h"

#include "command_line.h"

namespace platform {
namespace {

QString variable(const char* name) {
    return qEnvironmentVariable(name);
}

// The plug-in the user chose, without its options (xcb:option=value), or empty.
QString chosenPlatform(const WindowSystemEnvironment& environment) {
    const QString& chosen = environment.platformOption.isEmpty() ? environment.platformVariable
                                                                 : environment.platformOption;
    return chosen.section(QLatin1Char(':'), 0, 0).trimmed();
}

QString xDisplay(const WindowSystemEnvironment& environment) {
    return environment.displayOption.isEmpty() ? environment.display : environment.displayOption;
}

} // namespace

WindowSystemEnvironment WindowSystemEnvironment::current(const CommandLine& commandLine) {
    return {variable("QT_QPA_PLATFORM"), commandLine.platformOption, variable("DISPLAY"),
            commandLine.displayOption, variable("WAYLAND_DISPLAY")};
}

QString preferredPlatform(const WindowSystemEnvironment& environment) {
    if (!chosenPlatform(environment).isEmpty() || xDisplay(environment).isEmpty())
        return {};
    return QStringLiteral("xcb");
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
    if (platform.isEmpty())
        return QStringLiteral("cannot reach a display (set DISPLAY to a running X server, or "
                              "WAYLAND_DISPLAY to a running Wayland compositor)");
    return QStringLiteral("cannot start the window system \"%1\" (check QT_QPA_PLATFORM or "
                          "-platform)")
        .arg(platform);
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
