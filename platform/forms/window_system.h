#pragma once

#include <QString>

namespace platform {

struct CommandLine;

// Where the windows are to appear, as the user's environment and command line tell it.
struct WindowSystemEnvironment {
    QString platformVariable;     // QT_QPA_PLATFORM
    QString platformOption;       // -platform
    QString display;              // DISPLAY
    QString displayOption;        // -display
    QString waylandDisplay;       // WAYLAND_DISPLAY
    bool waylandListening = true; // a compositor's socket is there under that name

    static WindowSystemEnvironment current(const CommandLine& commandLine);
};

// The window system plug-ins to ask Qt for, in order, or empty to leave the choice to Qt. A
// Wayland compositor does not let a program place its own windows: where the user has chosen
// nothing, a program that places them runs on X11 whenever an X display is there (XWayland
// provides one), and any other program runs natively on Wayland, falling back to X11.
QString preferredPlatform(const WindowSystemEnvironment& environment, bool placesWindows);

// Why no window can open, in one line for the user, or empty when a display may be reachable.
QString missingDisplay(const WindowSystemEnvironment& environment);

// The line for the user when Qt could not reach the window system after all.
QString unreachableDisplay(const WindowSystemEnvironment& environment);

// The line when the X display went away while the program ran.
QString lostDisplay(const WindowSystemEnvironment& environment);

// The line when the window system took the connection but did not answer within the seconds.
QString silentDisplay(const WindowSystemEnvironment& environment, int seconds);

// The line when the window system plug-in of that name runs but can show no window.
QString windowlessDisplay(const QString& platform);

} // namespace platform
