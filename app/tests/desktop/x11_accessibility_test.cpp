#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "desktop/X11DesktopTest.hpp"
#include "platform/linux/x11/X11Accessibility.hpp"

namespace tavelin::app::testing {
namespace {

class X11AccessibilityTest : public X11DesktopTest {
 protected:
  void SetUp() override {
    X11DesktopTest::SetUp();
    if (HasFatalFailure()) return;
    accessibility = std::make_unique<X11Accessibility>(client->connection());
  }

  std::optional<xcb_window_t> windowOf(const ElementRef& element) { return X11Accessibility::windowOf(element); }

  std::vector<xcb_window_t> windowsOf(int pid) {
    std::vector<xcb_window_t> windows;
    for (const ElementRef& window : accessibility->windows(accessibility->applicationElement(pid))) {
      windows.push_back(windowOf(window).value_or(XCB_NONE));
    }
    return windows;
  }

  std::optional<PixelRect> frameOf(const ElementRef& window) {
    const auto position = accessibility->position(window);
    const auto size = accessibility->size(window);
    if (!position || !size) return std::nullopt;
    return PixelRect{static_cast<int>(position->x), static_cast<int>(position->y), static_cast<int>(size->width),
                     static_cast<int>(size->height)};
  }

  // Whether xwininfo finds the frame at the target's corner with its size
  // within a character cell, the step xterm sizes itself by.
  bool frameLandsOn(xcb_window_t window, const PixelRect& target) {
    constexpr int cell = 20;
    const auto frame = frameByXwininfo(window);
    return frame && frame->x == target.x && frame->y == target.y && std::abs(frame->width - target.width) < cell &&
           std::abs(frame->height - target.height) < cell;
  }

  void moveTo(const ElementRef& window, const PixelRect& target) {
    accessibility->setPosition(window, {static_cast<double>(target.x), static_cast<double>(target.y)});
    accessibility->setSize(window, {static_cast<double>(target.width), static_cast<double>(target.height)});
  }

  std::unique_ptr<X11Accessibility> accessibility;
};

TEST_F(X11AccessibilityTest, WindowsOfAProcessTopFirstWithTheFocusedOneOnlyWhenItIsTheirs) {
  EXPECT_TRUE(accessibility->isProcessTrusted(false));
  const Xterm other = xterm("TavelinAlpha", "60x20+700+400");
  const xcb_window_t lower = ownWindow(WindowSpec({100, 100, 300, 200}));
  const xcb_window_t upper = ownWindow(WindowSpec({200, 150, 300, 200}));
  const ElementRef self = accessibility->applicationElement(::getpid());
  EXPECT_EQ(accessibility->role(self), "AXApplication");

  for (const auto& [front, back] : {std::pair{upper, lower}, std::pair{lower, upper}}) {
    activate(front);
    EXPECT_EQ(windowsOf(::getpid()), (std::vector<xcb_window_t>{front, back}));
    EXPECT_EQ(windowOf(accessibility->mainWindow(self)), front);
    EXPECT_EQ(windowOf(accessibility->focusedWindow(self)), front);
  }
  activate(other.window);
  EXPECT_FALSE(accessibility->focusedWindow(self)) << "the active window is not ours";
  EXPECT_EQ(windowOf(accessibility->mainWindow(self)), lower) << "the main window is still our topmost";
  // The window manager may still be handing the focus over when xdotool
  // sees the active window change.
  EXPECT_TRUE(XvfbSession::waitUntil([&] {
    return windowOf(accessibility->focusedWindow(accessibility->applicationElement(other.pid))) == other.window;
  }));

  // Raising restacks without asking for the focus.
  accessibility->raise(accessibility->windows(self).back());
  EXPECT_TRUE(XvfbSession::waitUntil([&] { return rootWindows("_NET_CLIENT_LIST_STACKING").back() == upper; }));
  EXPECT_EQ(windowsOf(::getpid()).front(), upper);
  EXPECT_EQ(activeWindow(), other.window);
}

TEST_F(X11AccessibilityTest, SubroleFollowsTheWindowType) {
  const xcb_window_t parent = ownWindow(WindowSpec({50, 50, 200, 150}));
  struct Case {
    std::vector<std::string> types;
    bool transient;
    std::string subrole;
  };
  const std::vector<Case> cases = {
      {{}, false, "AXStandardWindow"},  // managed, no type, no owner: normal
      {{}, true, "AXDialog"},           // no type but transient for another: a dialog
      {{"_NET_WM_WINDOW_TYPE_NORMAL"}, false, "AXStandardWindow"},
      {{"_NET_WM_WINDOW_TYPE_DIALOG"}, false, "AXDialog"},
      {{"_NET_WM_WINDOW_TYPE_UTILITY"}, false, "AXFloatingWindow"},
      {{"_NET_WM_WINDOW_TYPE_SPLASH"}, false, "AXUnknown"},
      {{"_TAVELIN_UNHEARD_OF", "_NET_WM_WINDOW_TYPE_DIALOG"}, false, "AXDialog"},  // the first known type wins
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.subrole + (c.types.empty() ? "" : " " + c.types.back()) + (c.transient ? " transient" : ""));
    WindowSpec spec({300, 300, 200, 150}, c.types);
    if (c.transient) spec.transientFor = parent;
    const xcb_window_t id = ownWindow(spec);
    ElementRef element;
    for (const ElementRef& candidate : accessibility->windows(accessibility->applicationElement(::getpid()))) {
      if (windowOf(candidate) == id) element = candidate;
    }
    ASSERT_TRUE(element);
    EXPECT_EQ(accessibility->role(element), "AXWindow");
    EXPECT_EQ(accessibility->subrole(element), c.subrole);
  }
}

TEST_F(X11AccessibilityTest, TheFrameIsReadAndWrittenWithItsDecorations) {
  const Xterm xterm = this->xterm("TavelinAlpha", "60x20+100+80");
  activate(xterm.window);
  const ElementRef window = accessibility->focusedWindow(accessibility->applicationElement(xterm.pid));
  ASSERT_TRUE(window);
  const std::optional<PixelRect> decorated = frameByXwininfo(xterm.window);
  ASSERT_TRUE(decorated);
  EXPECT_EQ(frameOf(window), decorated);
  EXPECT_EQ(decorated->x, 100) << "the geometry places the frame";

  for (const PixelRect target :
       {PixelRect{300, 200, 700, 500}, PixelRect{0, 0, 400, 300}, PixelRect{40, 500, 900, 380}}) {
    SCOPED_TRACE(::testing::Message() << target.x << "," << target.y << " " << target.width << "x" << target.height);
    moveTo(window, target);
    EXPECT_TRUE(XvfbSession::waitUntil([&] { return frameLandsOn(xterm.window, target); }));
    EXPECT_EQ(frameOf(window), frameByXwininfo(xterm.window));
  }
}

// The window manager keeps a maximized window where it is, so a move must
// take it out of that state first.
TEST_F(X11AccessibilityTest, AMaximizedWindowMovesToo) {
  const Xterm xterm = this->xterm("TavelinAlpha");
  xcb_client_message_event_t maximize{};
  maximize.response_type = XCB_CLIENT_MESSAGE;
  maximize.format = 32;
  maximize.window = xterm.window;
  maximize.type = atom("_NET_WM_STATE");
  maximize.data.data32[0] = 1;  // add
  maximize.data.data32[1] = atom("_NET_WM_STATE_MAXIMIZED_VERT");
  maximize.data.data32[2] = atom("_NET_WM_STATE_MAXIMIZED_HORZ");
  xcb_send_event(client->connection(), 0, client->root(),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&maximize));
  client->sync();
  ASSERT_TRUE(XvfbSession::waitUntil([&] { return frameByXwininfo(xterm.window) == PixelRect{0, 0, 1440, 900}; }));

  activate(xterm.window);
  const PixelRect target{200, 150, 600, 400};
  moveTo(accessibility->focusedWindow(accessibility->applicationElement(xterm.pid)), target);
  EXPECT_TRUE(XvfbSession::waitUntil([&] { return frameLandsOn(xterm.window, target); }));
}

TEST_F(X11AccessibilityTest, PositionsCountFromThePrimaryMonitorsCorner) {
  // The primary on the right, shorter than the other.
  ASSERT_TRUE(session().run({"xrandr", "--setmonitor", "left", "720/190x900/238+0+0", "screen"}));
  ASSERT_TRUE(session().run({"xrandr", "--setmonitor", "*right", "720/190x600/238+720+0", "none"}));
  const Xterm xterm = this->xterm("TavelinAlpha", "60x20+800+100");
  activate(xterm.window);
  const ElementRef window = accessibility->focusedWindow(accessibility->applicationElement(xterm.pid));
  ASSERT_TRUE(window);
  const std::optional<PixelRect> frame = frameByXwininfo(xterm.window);
  ASSERT_TRUE(frame);
  EXPECT_EQ(accessibility->position(window), (Point{frame->x - 720.0, static_cast<double>(frame->y)}));
  accessibility->setPosition(window, {-700, 50});
  EXPECT_TRUE(XvfbSession::waitUntil([&] {
    const auto moved = frameByXwininfo(xterm.window);
    return moved && moved->x == 20 && moved->y == 50;
  }));
}

}  // namespace
}  // namespace tavelin::app::testing
