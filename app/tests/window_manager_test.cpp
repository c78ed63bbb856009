#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "controllers/WindowGeometry.hpp"
#include "controllers/WindowManager.hpp"
#include "fakes/FakeDesktop.hpp"

namespace tavelin::app {

[[maybe_unused]] static void PrintTo(const Rect& r, std::ostream* out) {
  *out << "(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", " << r.size.height << ")";
}

[[maybe_unused]] static void PrintTo(const Screen& s, std::ostream* out) {
  *out << "frame ";
  PrintTo(s.frame, out);
}

namespace {

using testing::FakeApp;
using testing::FakeDesktop;
using testing::FakeWindow;
using enum WindowAction;

Rect rect(double x, double y, double w, double h) { return Rect{{x, y}, {w, h}}; }

// The primary display with a 25-point menu bar: V = (0, 0, 1440, 875).
const Screen primary{rect(0, 0, 1440, 900), rect(0, 0, 1440, 875)};
// A larger display to its right, reaching lower and higher.
const Screen beside{rect(1440, -200, 1920, 1080), rect(1440, -200, 1920, 1055)};
const Rect F = rect(100, 200, 800, 600);

// --- geometry --------------------------------------------------------------

struct Press {
  WindowAction action;
  Rect expected;
};

struct GeometryCase {
  const char* name;
  std::vector<Screen> screens;
  Rect start;
  std::vector<Press> presses;  // each applied to the result of the one before
};

TEST(WindowGeometry, LaysOutWindowsAndCyclesSizes) {
  const std::vector<GeometryCase> cases = {
      {"left cycles 1/2, 2/3, 1/3, 1 and wraps",
       {primary},
       F,
       {{MoveLeft, rect(0, 200, 720, 600)},
        {MoveLeft, rect(0, 200, 960, 600)},
        {MoveLeft, rect(0, 200, 480, 600)},
        {MoveLeft, rect(0, 200, 1440, 600)},
        {MoveLeft, rect(0, 200, 720, 600)}}},
      {"right cycles 1/2, 1/3, 2/3",
       {primary},
       F,
       {{MoveRight, rect(720, 200, 720, 600)},
        {MoveRight, rect(960, 200, 480, 600)},
        {MoveRight, rect(480, 200, 960, 600)}}},
      {"a press in another direction starts at its first size",
       {primary},
       F,
       {{MoveLeft, rect(0, 200, 720, 600)}, {MoveRight, rect(720, 200, 720, 600)}}},
      {"top cycles half and full height; bottom starts over",
       {primary},
       F,
       {{MoveTop, rect(100, 438, 800, 437)},
        {MoveTop, rect(100, 0, 800, 875)},
        {MoveBottom, rect(100, 0, 800, 437)}}},
      {"center cycles 2/3, 1/2, 1/3 and wraps",
       {primary},
       F,
       {{CenterHorizontally, rect(240, 200, 960, 600)},
        {CenterHorizontally, rect(360, 200, 720, 600)},
        {CenterHorizontally, rect(480, 200, 480, 600)},
        {CenterHorizontally, rect(240, 200, 960, 600)}}},
      {"maximize fills the visible frame", {primary}, F, {{ToggleMaximize, primary.visibleFrame}}},
      {"a nearly full window comes back half wide, 90 % high, centred, height not floored",
       {primary},
       rect(20, 10, 1400, 850),
       {{ToggleMaximize, rect(360, 43, 720, 787.5)}}},
      {"a window taller than the visible frame is cut down to it",
       {primary},
       rect(100, 50, 800, 1000),
       {{MoveLeft, rect(0, 0, 720, 875)}}},
      {"a maximize toggle restarts the cycle",
       {primary},
       F,
       {{MoveLeft, rect(0, 200, 720, 600)},
        {ToggleMaximize, primary.visibleFrame},
        {MoveLeft, rect(0, 0, 720, 875)}}},
      {"positions on a fractional visible frame are floored after the arithmetic",
       {{rect(0, 0, 1440, 900), rect(10.5, 20.5, 1001, 875)}},
       F,
       {{MoveRight, rect(511, 200, 500, 600)},
        {MoveTop, rect(511, 458, 500, 437)},
        {CenterHorizontally, rect(177, 458, 667, 437)}}},
      {"the next display keeps the relative place and size",
       {primary, beside},
       F,
       {{MoveToNextDisplay, rect(1573, 41, 1066, 723)}}},
      {"a small window grows to 120 by 80 and stays inside",
       {primary, beside},
       rect(1300, 800, 50, 40),
       {{MoveToNextDisplay, rect(3173, 764, 120, 80)}}},
      {"a display move restarts the cycle",
       {primary, beside},
       F,
       {{MoveLeft, rect(0, 200, 720, 600)},
        {MoveToNextDisplay, rect(1440, 41, 960, 723)},
        {MoveLeft, rect(1440, 41, 960, 723)}}},
      // Degenerate screens: an empty visible frame gives way to the whole
      // frame, and with no area at all the window keeps its size rather
      // than being divided by zero.
      {"an empty visible frame lays the window out on the whole screen",
       {{rect(0, 0, 1440, 900), rect(0, 0, 0, 0)}},
       F,
       {{MoveLeft, rect(0, 200, 720, 600)}}},
      {"leaving a screen of no visible width measures against its frame",
       {{rect(0, 0, 1440, 900), rect(0, 0, 0, 875)}, beside},
       F,
       {{MoveToNextDisplay, rect(1573, 34, 1066, 703)}}},
      {"leaving a screen with no area keeps the window's size and offset",
       {Screen{}, beside},
       F,
       {{MoveToNextDisplay, rect(1540, 0, 800, 600)}}},
  };

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WindowGeometry geometry;
    Rect frame = c.start;
    for (std::size_t i = 0; i < c.presses.size(); ++i) {
      const auto on = screenIndexFor(frame, c.screens);
      ASSERT_TRUE(on.has_value());
      const auto moved = geometry.apply(c.presses[i].action, frame, c.screens[*on], c.screens);
      ASSERT_TRUE(moved.has_value()) << "press " << i + 1;
      EXPECT_EQ(*moved, c.presses[i].expected) << "press " << i + 1;
      frame = *moved;
    }
  }
}

TEST(WindowGeometry, FlipMirrorsAboutTheTopOfTheFirstScreen) {
  // The second screen is taller: only the first one's top counts.
  const std::vector<Screen> screens{primary, {rect(1440, 0, 1920, 1200), rect(1440, 0, 1920, 1200)}};
  EXPECT_EQ(flip(F, screens), rect(100, 100, 800, 600));
  EXPECT_EQ(flip(flip(F, screens), screens), F);
  EXPECT_EQ(flip(F, {}), rect(100, -800, 800, 600));
}

// --- the manager on a scripted desktop -------------------------------------

// One application, "Notes", in front with one standard window at F.
struct Desk {
  Desk() {
    desktop.screenList = {primary};
    window = desktop.addWindow(notes, rect(100, 100, 800, 600));  // F, in top-left coordinates
    desktop.frontmost = notes;
  }

  std::optional<Rect> topLeft() const {
    if (!window->position || !window->size) return std::nullopt;
    return Rect{*window->position, *window->size};
  }

  FakeDesktop desktop;
  std::shared_ptr<FakeApp> notes = desktop.addApp("Notes", "org.example.notes");
  std::shared_ptr<FakeWindow> window;
  WindowManager manager{desktop, desktop, desktop};
};

TEST(WindowManager, ReportsEachFailureAndLeavesTheWindowAlone) {
  struct Case {
    const char* name;
    std::function<void(Desk&, RunningApplicationRef& target)> setUp;
    WindowAction action;
    std::string sentence;
  };
  const std::vector<Case> cases = {
      {"not trusted", [](auto& t, auto&) { t.desktop.trusted = false; }, MoveLeft,
       "Tavelin needs Accessibility access to move windows. Settings \u25B8 Permission."},
      {"nothing in front", [](auto& t, auto&) { t.desktop.frontmost = nullptr; }, MoveLeft,
       "There is no other window in front to move."},
      {"only this application in front", [](auto& t, auto&) { t.desktop.frontmost = t.desktop.self; }, MoveLeft,
       "There is no other window in front to move."},
      {"this application as the target", [](auto& t, auto& target) { target = t.desktop.self; }, MoveLeft,
       "There is no other window in front to move."},
      {"only a dialog", [](auto& t, auto&) { t.window->subrole = "AXDialog"; }, MoveLeft,
       "Notes has no standard window in front."},
      {"a nameless application without windows",
       [](auto& t, auto& target) { target = t.desktop.addApp(std::nullopt); }, MoveLeft,
       "That application has no standard window in front."},
      {"no screens", [](auto& t, auto&) { t.desktop.screenList.clear(); }, MoveLeft,
       "Could not tell which display that window is on."},
      {"a screen with no area", [](auto& t, auto&) { t.desktop.screenList = {Screen{}}; }, MoveLeft,
       "Could not tell which display that window is on."},
      {"position unreadable", [](auto& t, auto&) { t.window->position.reset(); }, MoveLeft,
       "Could not read that window's position."},
      {"zero width", [](auto& t, auto&) { t.window->size = Size{0, 600}; }, MoveLeft,
       "Could not read that window's position."},
      {"an infinite size", [](auto& t, auto&) { t.window->size = Size{std::numeric_limits<double>::infinity(), 600}; },
       MoveLeft, "Could not read that window's position."},
      {"one display", [](auto&, auto&) {}, MoveToNextDisplay, "There is only one display."},
  };

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Desk d;
    RunningApplicationRef target;
    c.setUp(d, target);
    const auto before = d.topLeft();

    EXPECT_EQ(d.manager.perform(c.action, target), c.sentence);
    EXPECT_EQ(d.topLeft(), before);
    EXPECT_EQ(d.desktop.trustPrompts, std::vector<bool>{false});
    for (const auto& write : d.desktop.accessibilityWrites) EXPECT_EQ(write, "raise");
  }
}

TEST(WindowManager, FailedActionsLeaveTheCycleAlone) {
  Desk d;
  ASSERT_EQ(d.manager.perform(MoveLeft, nullptr), std::nullopt);
  EXPECT_EQ(d.manager.perform(MoveToNextDisplay, nullptr), "There is only one display.");
  EXPECT_EQ(d.manager.perform(MoveRight, d.desktop.addApp("Empty")), "Empty has no standard window in front.");
  ASSERT_EQ(d.manager.perform(MoveLeft, nullptr), std::nullopt);
  EXPECT_EQ(d.window->size->width, 960) << "the second left press uses 2/3";
}

TEST(WindowManager, RaisesThenMovesTheTargetInTopLeftCoordinates) {
  Desk d;
  // The typing window is in front; the target passed in wins. The main
  // screen is not the first one: flipping must use the first screen's top.
  d.desktop.frontmost = d.desktop.self;
  d.desktop.screenList = {primary, {rect(1440, 0, 1920, 1200), rect(1440, 0, 1920, 1200)}};
  d.desktop.mainScreenOverride = d.desktop.screenList.back();

  EXPECT_EQ(d.manager.perform(MoveTop, d.notes), std::nullopt);
  // Bottom-left (100, 438, 800, 437) below a primary display 900 high.
  EXPECT_EQ(d.topLeft(), rect(100, 25, 800, 437));
  EXPECT_EQ(d.window->raises, 1);
  EXPECT_EQ(d.desktop.accessibilityWrites, (std::vector<std::string>{"raise", "position", "size"}));
}

TEST(WindowManager, WalksThreeDisplaysInListOrder) {
  Desk d;
  const Screen second{rect(1440, 0, 1920, 1200), rect(1440, 0, 1920, 1200)};
  const Screen third{rect(-1280, 0, 1280, 1024), rect(-1280, 0, 1280, 1024)};
  d.desktop.screenList = {primary, second, third};

  for (const Screen& expected : {second, third, primary}) {
    ASSERT_EQ(d.manager.perform(MoveToNextDisplay, nullptr), std::nullopt);
    EXPECT_EQ(d.manager.screen(d.window), expected);
  }
}

TEST(WindowManager, ChoosesTheScreenWithTheLargestOverlap) {
  Desk d;
  const Screen left{rect(0, 0, 1000, 900), rect(0, 0, 1000, 875)};
  const Screen right{rect(1000, 0, 1000, 900), rect(1000, 0, 1000, 900)};
  const Screen above{rect(0, 900, 1000, 900), rect(0, 900, 1000, 900)};
  struct Case {
    const char* name;
    std::vector<Screen> screens;       // the last one is the main screen
    std::optional<Rect> windowTopLeft;  // none: position unreadable
    std::optional<Screen> expected;
  };
  const std::vector<Case> cases = {
      {"an even split goes to the first", {left, right}, rect(900, 100, 200, 100), left},
      {"the larger share wins", {left, right}, rect(950, 100, 200, 100), right},
      {"no overlap goes to the first", {left, right}, rect(5000, 100, 100, 100), left},
      {"overlap is measured after flipping", {left, above}, rect(100, -500, 200, 200), above},
      {"an unreadable frame gives the main screen", {left, right}, std::nullopt, right},
      {"no screens at all", {}, rect(100, 100, 200, 100), std::nullopt},
  };

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    d.desktop.screenList = c.screens;
    d.desktop.mainScreenOverride = c.screens.empty() ? std::nullopt : std::optional(c.screens.back());
    d.window->position = c.windowTopLeft ? std::optional(c.windowTopLeft->origin) : std::nullopt;
    d.window->size = Size{200, 100};
    EXPECT_EQ(d.manager.screen(d.window), c.expected);
  }
}

TEST(WindowManager, JudgesStandardWindowsBySubroleThenRole) {
  Desk d;
  struct Case {
    std::optional<std::string> subrole;
    std::optional<std::string> role;
    bool standard;
  };
  const std::vector<Case> cases = {
      {"AXStandardWindow", "AXWindow", true},
      {"AXDialog", "AXWindow", false},  // the role is not asked when there is a subrole
      {"AXFloatingWindow", std::nullopt, false},
      {std::nullopt, "AXWindow", true},
      {std::nullopt, "AXSheet", false},
      {std::nullopt, std::nullopt, false},
  };
  for (const auto& c : cases) {
    d.window->subrole = c.subrole;
    d.window->role = c.role;
    EXPECT_EQ(d.manager.isStandardWindow(d.window), c.standard)
        << c.subrole.value_or("(none)") << " / " << c.role.value_or("(none)");
  }
}

TEST(WindowManager, FindsTheFocusedThenMainThenFirstStandardWindow) {
  Desk d;
  auto& entry = d.desktop.windowsByPid[d.notes->processIdentifier()];
  auto dialog = std::make_shared<FakeWindow>();
  dialog->subrole = "AXDialog";
  auto main = std::make_shared<FakeWindow>();
  auto listed = std::make_shared<FakeWindow>();
  entry = {d.window, main, {dialog, listed}};

  EXPECT_EQ(d.manager.focusedWindow(*d.notes), d.window);
  entry.focused = dialog;
  EXPECT_EQ(d.manager.focusedWindow(*d.notes), main);
  entry.main = nullptr;
  EXPECT_EQ(d.manager.focusedWindow(*d.notes), listed);
  entry.all = {dialog};
  EXPECT_EQ(d.manager.focusedWindow(*d.notes), nullptr);
}

}  // namespace
}  // namespace tavelin::app
