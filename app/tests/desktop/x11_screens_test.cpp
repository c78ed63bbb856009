#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop/X11DesktopTest.hpp"
#include "platform/linux/x11/ScreenGeometry.hpp"
#include "platform/linux/x11/X11Screens.hpp"

namespace tavelin::app::testing {
namespace {

Rect rect(double x, double y, double width, double height) { return Rect{{x, y}, {width, height}}; }

// --- the arithmetic, no X needed ---------------------------------------------

TEST(X11ScreenGeometry, BottomLeftCoordinatesAgreeWithTheTopLeftOnesAndTheirFlip) {
  struct Case {
    PixelRect primary;
    PixelRect rect;
    Rect bottomLeft;
  };
  const std::vector<Case> cases = {
      {{0, 0, 1440, 900}, {0, 0, 1440, 900}, rect(0, 0, 1440, 900)},
      {{0, 0, 1440, 900}, {100, 50, 800, 600}, rect(100, 250, 800, 600)},
      // The primary on the right and shorter: the other monitor hangs below.
      {{720, 0, 720, 600}, {0, 0, 720, 900}, rect(-720, -300, 720, 900)},
      // The primary lower than a monitor to its right.
      {{0, 300, 1920, 1080}, {1920, 0, 1280, 1024}, rect(1920, 356, 1280, 1024)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rect.x << "," << c.rect.y << " on a primary at " << c.primary.x << ","
                                      << c.primary.y);
    const Rect converted = toBottomLeft(c.rect, c.primary);
    EXPECT_EQ(converted, c.bottomLeft);
    // The window geometry flips top-left positions about the primary's
    // height; both conversions must land in the same place.
    const Point topLeft = toPrimaryTopLeft({c.rect.x, c.rect.y}, c.primary);
    EXPECT_EQ(converted.origin, (Point{topLeft.x, c.primary.height - (topLeft.y + c.rect.height)}));
    EXPECT_EQ(fromPrimaryTopLeft(topLeft, c.primary), (PixelPoint{c.rect.x, c.rect.y}));
  }
}

TEST(X11ScreenGeometry, StrutsBiteOnlyOnTheMonitorsTheyReachInto) {
  const PixelRect left{0, 0, 720, 900};
  const PixelRect right{720, 0, 720, 900};
  struct Case {
    const char* what;
    Strut strut;
    PixelRect left;
    PixelRect right;
  };
  const std::vector<Case> cases = {
      {"a bottom dock under the left monitor",
       Strut{.bottom = 40, .bottomStartX = 0, .bottomEndX = 719},
       {0, 0, 720, 860},
       right},
      {"a whole-edge top strut", fullEdgeStrut(0, 0, 30, 0, 1440, 900), {0, 30, 720, 870}, {720, 30, 720, 870}},
      {"a right strut, measured from the root's right edge",
       Strut{.right = 50, .rightStartY = 0, .rightEndY = 899},
       left,
       {720, 0, 670, 900}},
      {"a left strut wider than the left monitor",
       Strut{.left = 800, .leftStartY = 0, .leftEndY = 899},
       {720, 0, 0, 900},
       {800, 0, 640, 900}},
      {"a span that misses the monitor", Strut{.top = 30, .topStartX = 800, .topEndX = 900}, left, {720, 30, 720, 870}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(visibleArea(left, {c.strut}, 1440, 900), c.left);
    EXPECT_EQ(visibleArea(right, {c.strut}, 1440, 900), c.right);
  }
}

TEST(X11ScreenGeometry, PrimaryFirstAndMostOverlapped) {
  const Monitor a{{0, 0, 100, 100}, false}, b{{100, 0, 100, 100}, true}, c{{200, 0, 100, 100}, false};
  EXPECT_EQ(primaryFirst({a, b, c}), (std::vector<Monitor>{b, a, c}));
  EXPECT_EQ(primaryFirst({a, c}), (std::vector<Monitor>{a, c}));

  const std::vector<PixelRect> areas{a.frame, b.frame};
  EXPECT_EQ(mostOverlapped({60, 0, 100, 50}, areas), 1u);
  EXPECT_EQ(mostOverlapped({50, 0, 100, 50}, areas), 0u) << "the first wins a tie";
  EXPECT_EQ(mostOverlapped({500, 500, 10, 10}, areas), std::nullopt);
}

// --- against a real server ---------------------------------------------------

class X11ScreensTest : public X11DesktopTest {
 protected:
  void SetUp() override {
    X11DesktopTest::SetUp();
    if (HasFatalFailure()) return;
    screens = std::make_unique<X11Screens>(client->connection());
  }

  void twoMonitors() {
    ASSERT_TRUE(session().run({"xrandr", "--setmonitor", "left", "720/190x900/238+0+0", "screen"}));
    ASSERT_TRUE(session().run({"xrandr", "--setmonitor", "right", "720/190x900/238+720+0", "none"}));
  }

  std::vector<Rect> frames() {
    std::vector<Rect> result;
    for (const Screen& screen : screens->screens()) result.push_back(screen.frame);
    return result;
  }

  std::unique_ptr<X11Screens> screens;
};

TEST_F(X11ScreensTest, MonitorsPrimaryFirstInBottomLeftCoordinates) {
  EXPECT_EQ(screens->screens(), (std::vector<Screen>{{rect(0, 0, 1440, 900), rect(0, 0, 1440, 900)}}));

  twoMonitors();
  EXPECT_EQ(frames(), (std::vector<Rect>{rect(0, 0, 720, 900), rect(720, 0, 720, 900)}));

  // Marked primary, the shorter right monitor comes first and is the origin.
  ASSERT_TRUE(session().run({"xrandr", "--delmonitor", "right"}));
  ASSERT_TRUE(session().run({"xrandr", "--setmonitor", "*right", "720/190x600/238+720+0", "none"}));
  EXPECT_EQ(frames(), (std::vector<Rect>{rect(0, 0, 720, 600), rect(-720, -300, 720, 900)}));
}

TEST_F(X11ScreensTest, DocksStrutsShrinkTheVisibleFrames) {
  twoMonitors();
  struct Dock {
    WindowSpec window;
    Rect left;
    Rect right;
  };
  WindowSpec bottom({0, 860, 720, 40}, {"_NET_WM_WINDOW_TYPE_DOCK"});
  bottom.strutPartial = {0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 719};
  WindowSpec top({0, 0, 1440, 30}, {"_NET_WM_WINDOW_TYPE_DOCK"});
  top.strut = {0, 0, 30, 0};
  WindowSpec notADock({300, 300, 100, 100});
  notADock.strut = {0, 0, 0, 200};
  // Each dock adds to those before it; a window that is no dock reserves
  // nothing.
  const std::vector<Dock> docks = {
      {bottom, rect(0, 40, 720, 860), rect(720, 0, 720, 900)},
      {top, rect(0, 40, 720, 830), rect(720, 0, 720, 870)},
      {notADock, rect(0, 40, 720, 830), rect(720, 0, 720, 870)},
  };
  for (const Dock& dock : docks) {
    ownWindow(dock.window);
    const std::vector<Screen> all = screens->screens();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].visibleFrame, dock.left);
    EXPECT_EQ(all[1].visibleFrame, dock.right);
    EXPECT_EQ(all[1].frame, rect(720, 0, 720, 900));
  }
}

TEST_F(X11ScreensTest, TheMainScreenHoldsTheActiveWindow) {
  twoMonitors();
  const Xterm onLeft = xterm("TavelinAlpha", "60x20+100+100");
  const Xterm onRight = xterm("org.example.beta", "60x20+900+100");
  for (const auto& [window, screen] : {std::pair{onRight.window, 1}, std::pair{onLeft.window, 0}}) {
    activate(window);
    EXPECT_EQ(screens->mainScreen(), screens->screens()[static_cast<std::size_t>(screen)]);
  }
}

}  // namespace
}  // namespace tavelin::app::testing
