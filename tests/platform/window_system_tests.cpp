#include "platform/forms/window_system.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(WindowSystem, X11WhereTheUserChoseNothingAndMissingDisplays) {
    struct Row {
        const char* what;
        WindowSystemEnvironment environment; // variable, option, DISPLAY, -display, WAYLAND_DISPLAY
        const char* preferred;               // for a program that places its windows
        bool missing;
        const char* preferredUnplaced = nullptr; // for one that does not, where it differs
    };
    const Row rows[] = {
        {"a Wayland desktop with XWayland",
         {"", "", ":0", "", "wayland-0"},
         "xcb",
         false,
         "wayland;xcb"},
        {"an X desktop", {"", "", ":0", "", ""}, "xcb", false},
        {"-display alone", {"", "", "", ":1", ""}, "xcb", false},
        {"Wayland without XWayland", {"", "", "", "", "wayland-0"}, "wayland", false},
        {"a Wayland name no compositor answers",
         {"", "", ":0", "", "wayland-9", false},
         "xcb",
         false},
        {"that name alone", {"", "", "", "", "wayland-9", false}, "", false},
        {"no display at all", {"", "", "", "", ""}, "", true},
        {"the variable chooses Wayland", {"wayland", "", ":0", "", "wayland-0"}, "", false},
        {"-platform chooses Wayland", {"", "wayland", ":0", "", "wayland-0"}, "", false},
        {"-platform offscreen needs no display", {"", "offscreen", "", "", ""}, "", false},
        {"the variable offscreen", {"offscreen", "", "", "", ""}, "", false},
        {"xcb without DISPLAY", {"xcb", "", "", "", "wayland-0"}, "", true},
        {"xcb with plug-in options", {"xcb:nograb", "", "", "", ""}, "", true},
        {"-platform xcb with -display", {"", "xcb", "", ":2", ""}, "", false},
        {"-platform overrides the variable", {"offscreen", "xcb", "", "", ""}, "", true},
        {"another plug-in is left to Qt", {"eglfs_custom", "", "", "", ""}, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(preferredPlatform(row.environment, true), QString::fromLatin1(row.preferred));
        EXPECT_EQ(
            preferredPlatform(row.environment, false),
            QString::fromLatin1(row.preferredUnplaced ? row.preferredUnplaced : row.preferred));
        EXPECT_EQ(!missingDisplay(row.environment).isEmpty(), row.missing);
    }
}

} // namespace
