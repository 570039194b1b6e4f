// Run on an X server without a window manager (frame_extents_test.sh): each case plays the part
// of a manager by setting the properties one would set.
#include "platform/core/clock.h"
#include "platform/forms/form.h"
#include "platform/forms/frame_extents.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include <gtest/gtest.h>

using namespace platform;

namespace {

xcb_connection_t* connection() {
    return qApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        connection(),
        xcb_intern_atom(connection(), 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

xcb_window_t rootOf(xcb_window_t window) {
    auto* reply =
        xcb_get_geometry_reply(connection(), xcb_get_geometry(connection(), window), nullptr);
    const xcb_window_t root = reply->root;
    std::free(reply);
    return root;
}

void setWords(xcb_window_t window, const char* name, xcb_atom_t type,
              const std::vector<std::uint32_t>& words) {
    xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, window, atom(name), type, 32,
                        static_cast<std::uint32_t>(words.size()), words.data());
}

void forget(xcb_window_t window, const char* name) {
    xcb_delete_property(connection(), window, atom(name));
}

xcb_window_t newWindow(xcb_window_t root) {
    const xcb_window_t window = xcb_generate_id(connection());
    xcb_create_window(connection(), 0, window, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    return window;
}

enum class Check { None, Gone, NotSelfNamed, SelfNamed };

class FrameExtents : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        setClock(&clock_);
        forgetSilentWindowManager();
        window_.winId();
        root_ = rootOf(static_cast<xcb_window_t>(window_.winId()));
    }
    void TearDown() override {
        forget(root_, "_NET_SUPPORTING_WM_CHECK");
        xcb_flush(connection());
        setClock(nullptr);
        forgetSilentWindowManager();
    }

    // The manager's check window as the root names it, on the screen the window is on.
    void pretend(Check check) {
        forget(root_, "_NET_SUPPORTING_WM_CHECK");
        if (check != Check::None) {
            const xcb_window_t named = newWindow(root_);
            if (check == Check::SelfNamed)
                setWords(named, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {named});
            if (check == Check::Gone)
                xcb_destroy_window(connection(), named);
            setWords(root_, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {named});
        }
        xcb_flush(connection());
    }
    void announce(const std::vector<std::uint32_t>& leftRightTopBottom, QWidget& window) {
        const auto id = static_cast<xcb_window_t>(window.winId());
        if (leftRightTopBottom.empty())
            forget(id, "_NET_FRAME_EXTENTS");
        else
            setWords(id, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, leftRightTopBottom);
        xcb_flush(connection());
    }

    FakeClock clock_;
    QWidget window_;
    xcb_window_t root_ = XCB_WINDOW_NONE;
};

TEST_F(FrameExtents, ReadOnlyFromALiveManagerAndOnlyWhereTheyCanBeAFrame) {
    constexpr std::uint32_t huge = 2147483647u;
    struct Row {
        const char* what;
        Check check;
        std::vector<std::uint32_t> extents;
        std::optional<QMargins> expected;
    };
    const Row rows[] = {
        {"a manager announces", Check::SelfNamed, {1, 2, 20, 5}, QMargins(1, 20, 2, 5)},
        {"no manager", Check::None, {1, 2, 20, 5}, std::nullopt},
        {"the manager is gone", Check::Gone, {1, 2, 20, 5}, std::nullopt},
        {"a check window that does not name itself",
         Check::NotSelfNamed,
         {1, 2, 20, 5},
         std::nullopt},
        {"the largest int", Check::SelfNamed, {huge, huge, huge, huge}, std::nullopt},
        {"beyond the largest int", Check::SelfNamed, {huge + 1, 0, 0, 0}, std::nullopt},
        {"a title bar of 1001 pixels", Check::SelfNamed, {0, 0, 1001, 0}, std::nullopt},
        {"a title bar of 1000 pixels", Check::SelfNamed, {0, 0, 1000, 0}, QMargins(0, 1000, 0, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        pretend(row.check);
        announce(row.extents, window_);
        EXPECT_EQ(announcedFrameExtents(window_), row.expected);
        EXPECT_EQ(clock_.sleeps(), 0); // nothing worth waiting for
    }
}

TEST_F(FrameExtents, AManagerThatDoesNotAnswerIsWaitedForOnce) {
    pretend(Check::SelfNamed);
    announce({}, window_);
    EXPECT_EQ(announcedFrameExtents(window_), std::nullopt);
    const int waited = clock_.sleeps();
    EXPECT_GT(waited, 0);
    QWidget another;
    EXPECT_EQ(announcedFrameExtents(another), std::nullopt);
    EXPECT_EQ(announcedFrameExtents(window_), std::nullopt);
    EXPECT_EQ(clock_.sleeps(), waited);
    // What it announces later is still read.
    announce({3, 3, 22, 4}, window_);
    EXPECT_EQ(announcedFrameExtents(window_), QMargins(3, 22, 3, 4));
}

// A form shown a moment ago is placed by the frame its manager announces, before the toolkit has
// heard of it, in the toolkit's pixels at the scale factor the test runs at; a frame no manager
// could mean is left out. The margins are those the toolkit itself reports once it learns of a
// frame of 1, 1, 20 and 5 pixels.
TEST_F(FrameExtents, AFormIsPlacedByItsAnnouncedFrame) {
    const qreal ratio = qApp->devicePixelRatio();
    const std::map<qreal, QMargins> sane = {{1.0, QMargins(1, 20, 1, 5)},
                                            {1.25, QMargins(1, 16, 1, 4)},
                                            {1.5, QMargins(1, 13, 1, 3)},
                                            {2.0, QMargins(1, 10, 1, 3)}};
    ASSERT_TRUE(sane.count(ratio)) << ratio;
    struct Row {
        const char* what;
        std::vector<std::uint32_t> leftRightTopBottom;
        QMargins expected;
    };
    const Row rows[] = {
        {"a frame", {1, 1, 20, 5}, sane.at(ratio)},
        {"the largest int", {2147483647u, 2147483647u, 2147483647u, 2147483647u}, QMargins()},
        {"the largest unsigned", {4294967295u, 1, 20, 5}, QMargins()},
    };
    pretend(Check::SelfNamed);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Form form(QStringLiteral("Form"), 3000, 1995);
        form.show();
        announce(row.leftRightTopBottom, form);
        form.setLeftTwips(1500.0f);
        form.setTopTwips(750.0f);
        EXPECT_EQ(form.geometry().topLeft(),
                  QPoint(100 + row.expected.left(), 50 + row.expected.top()));
        EXPECT_FLOAT_EQ(form.leftTwips(), 1500.0f);
        EXPECT_FLOAT_EQ(form.topTwips(), 750.0f);
        // The client area as designed, and the frame's sides at 15 twips a pixel.
        ASSERT_EQ(form.size(), QSize(200, 133));
        EXPECT_FLOAT_EQ(form.widthTwips(),
                        3000 + 15 * (row.expected.left() + row.expected.right()));
        EXPECT_FLOAT_EQ(form.heightTwips(),
                        1995 + 15 * (row.expected.top() + row.expected.bottom()));
    }
}

} // namespace
