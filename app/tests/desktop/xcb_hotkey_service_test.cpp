#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <tavelin/config.hpp>

#include "platform/linux/x11/XcbHotkeyService.hpp"
#include "x11/XcbClient.hpp"
#include "x11/XvfbSession.hpp"

namespace tavelin::app::testing {
namespace {

constexpr std::uint32_t kSignature = fourCharCode("TVLN");
constexpr std::uint32_t kKeyT = 17;
constexpr std::uint32_t kKeySpace = 49;
constexpr std::uint32_t kControlOption = control_key | option_key;
constexpr std::uint16_t kControlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

class XcbHotkeyServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(session.ok()) << session.reason();
    us = std::make_unique<XcbClient>(session.display());
    other = std::make_unique<XcbClient>(session.display());
    ASSERT_TRUE(us->ok() && other->ok());
    service = std::make_unique<XcbHotkeyService>(us->connection(), us->root());
    service->installHandler([this](const HotkeyPress& press) {
      EXPECT_EQ(press.signature, kSignature);
      fired.push_back(press.id);
      return kHotkeyNoErr;
    });
  }

  void TearDown() override { service.reset(); }

  std::shared_ptr<HotkeyRegistration> registered(std::uint32_t keyCode, std::uint32_t modifiers, std::uint32_t id) {
    const HotkeyRegisterResult result = service->registerHotkey(keyCode, modifiers, kSignature, id);
    EXPECT_EQ(result.status, kHotkeyNoErr) << "key code " << keyCode;
    EXPECT_TRUE(result.registration);
    return result.registration;
  }

  // Hands the service every event that has reached us. The round trip comes
  // first, so this includes everything the server did before now: an event
  // missing afterwards was never sent.
  void pump() {
    us->sync();
    while (xcb_generic_event_t* event = xcb_poll_for_event(us->connection())) {
      const std::uint8_t type = event->response_type & 0x7f;
      if (type == XCB_KEY_PRESS) ++keyPresses;
      if (!(dropMappingNotify && type == XCB_MAPPING_NOTIFY)) service->handleEvent(event);
      std::free(event);
    }
  }

  bool pumpUntil(const std::function<bool()>& condition) {
    return XvfbSession::waitUntil([&] {
      pump();
      return condition();
    });
  }

  // Runs xdotool (key, keydown, keyup) to completion, then pumps.
  void xdotool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    ASSERT_TRUE(session.run(arguments));
    pump();
  }

  // A key event as the server would send it to `window`.
  const xcb_generic_event_t* keyEvent(std::uint8_t type, xcb_keycode_t keycode, std::uint16_t state,
                                      xcb_timestamp_t time, xcb_window_t window) {
    made = {};
    made.response_type = type;
    made.detail = keycode;
    made.state = state;
    made.time = time;
    made.root = us->root();
    made.event = window;
    made.same_screen = 1;
    return reinterpret_cast<const xcb_generic_event_t*>(&made);
  }

  XvfbSession session{XvfbSession::Options{.windowManager = false}};
  std::unique_ptr<XcbClient> us;
  std::unique_ptr<XcbClient> other;
  std::unique_ptr<XcbHotkeyService> service;
  std::vector<std::uint32_t> fired;
  int keyPresses = 0;  // every key press that reached our connection
  bool dropMappingNotify = false;
  xcb_key_press_event_t made{};
};

TEST_F(XcbHotkeyServiceTest, ChordsReachTheHandlerWithTheirIdWhicheverLocksAreOn) {
  struct Case {
    std::uint32_t keyCode;
    std::uint32_t modifiers;
    const char* pressed;
  };
  const Case chords[] = {
      {kKeyT, kControlOption, "ctrl+alt+t"},
      {kKeySpace, option_key, "alt+space"},
      {96, cmd_key | shift_key, "super+shift+F5"},
      {42, control_key, "ctrl+backslash"},
      {82, control_key | cmd_key, "ctrl+super+KP_Insert"},  // Numpad 0 as it reads without NumLock
  };
  std::vector<std::string> presses = {"key"};
  std::vector<std::uint32_t> ids;
  for (std::uint32_t id = 100; const Case& chord : chords) {
    registered(chord.keyCode, chord.modifiers, id);
    presses.push_back(chord.pressed);
    ids.push_back(id++);
  }
  const std::vector<std::vector<std::string>> lockSets = {{}, {"Num_Lock"}, {"Caps_Lock"}, {"Num_Lock", "Caps_Lock"}};
  for (const auto& locks : lockSets) {
    SCOPED_TRACE(::testing::PrintToString(locks));
    fired.clear();
    for (const auto& lock : locks) xdotool({"key", lock});
    xdotool(presses);
    EXPECT_TRUE(pumpUntil([&] { return fired.size() >= ids.size(); }));
    EXPECT_EQ(fired, ids);
    for (const auto& lock : locks) xdotool({"key", lock});  // and off again
  }
}

TEST_F(XcbHotkeyServiceTest, AChordAnotherClientHoldsIsRefusedWithNothingLeftGrabbed) {
  // The other client holds the first variant we would try, or only the last,
  // after we would already have taken all the others.
  const std::uint16_t heldVariants[] = {kControlAlt, kControlAlt | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
  for (std::uint16_t held : heldVariants) {
    SCOPED_TRACE(held);
    auto holder = std::make_unique<XcbClient>(session.display());
    ASSERT_TRUE(holder->grab(XK_t, held));
    const HotkeyRegisterResult result = service->registerHotkey(kKeyT, kControlOption, kSignature, 1);
    EXPECT_EQ(result.status, kEventHotKeyExistsErr);
    EXPECT_FALSE(result.registration);
    holder.reset();
    EXPECT_TRUE(other->keyIsFree(XK_t));
  }
  // Once free, the chord is ours.
  registered(kKeyT, kControlOption, 1);
  EXPECT_FALSE(other->keyIsFree(XK_t));
}

TEST_F(XcbHotkeyServiceTest, TheSameChordTwiceIsRefusedAndTheFirstKeepsIt) {
  auto first = registered(kKeyT, kControlOption, 1);
  const HotkeyRegisterResult second = service->registerHotkey(kKeyT, kControlOption | alpha_lock, kSignature, 2);
  EXPECT_EQ(second.status, kEventHotKeyExistsErr);
  EXPECT_FALSE(second.registration);
  xdotool({"key", "ctrl+alt+t"});
  EXPECT_TRUE(pumpUntil([&] { return !fired.empty(); }));
  EXPECT_EQ(fired, std::vector<std::uint32_t>{1});
}

TEST_F(XcbHotkeyServiceTest, KeysThisKeyboardCannotTypeAreInvalid) {
  ASSERT_TRUE(us->keycodes(XK_F20).empty()) << "the test display's keymap has an F20 key after all";
  const std::uint32_t keyCodes[] = {
      10,      // a code that names no key
      90,      // F20, which this keyboard lacks
      0xFFFF,  // far outside every table
  };
  for (std::uint32_t keyCode : keyCodes) {
    const HotkeyRegisterResult result = service->registerHotkey(keyCode, kControlOption, kSignature, 1);
    EXPECT_EQ(result.status, kEventHotKeyInvalidErr) << keyCode;
    EXPECT_FALSE(result.registration) << keyCode;
  }
}

TEST_F(XcbHotkeyServiceTest, UnregisteringReleasesExactlyThatChordAndDestroyingReleasesTheRest) {
  auto t = registered(kKeyT, kControlOption, 1);
  registered(kKeySpace, kControlOption, 2);
  service->unregisterHotkey(t);
  service->unregisterHotkey(t);  // a second time changes nothing
  EXPECT_TRUE(other->keyIsFree(XK_t));
  EXPECT_FALSE(other->keyIsFree(XK_space));

  xdotool({"key", "ctrl+alt+t", "ctrl+alt+space"});
  EXPECT_TRUE(pumpUntil([&] { return !fired.empty(); }));
  EXPECT_EQ(fired, std::vector<std::uint32_t>{2});

  service.reset();
  EXPECT_TRUE(other->keyIsFree(XK_space));
}

TEST_F(XcbHotkeyServiceTest, AHeldChordFiresOnceUntilItIsReleased) {
  registered(kKeyT, kControlOption, 1);
  xdotool({"keydown", "ctrl+alt+t"});
  // The server's own auto-repeat, which this connection gets as releases and
  // presses in pairs; then a press of the key already down.
  EXPECT_TRUE(pumpUntil([&] { return keyPresses >= 4; }));
  xdotool({"keydown", "t"});
  xdotool({"keyup", "t"});
  xdotool({"keyup", "ctrl+alt"});
  EXPECT_EQ(fired, std::vector<std::uint32_t>{1});

  // The release, which may carry no modifiers, still ends the hold.
  xdotool({"key", "ctrl+alt+t"});
  EXPECT_TRUE(pumpUntil([&] { return fired.size() >= 2; }));
  EXPECT_EQ(fired, (std::vector<std::uint32_t>{1, 1}));
}

TEST_F(XcbHotkeyServiceTest, RepeatsThatComeAsPressesAloneFireOnce) {
  // A connection with XKB's detectable auto-repeat on, as the toolkit's is,
  // gets a held key's repeats as presses without releases.
  registered(kKeyT, kControlOption, 1);
  const xcb_keycode_t t = us->keycodes(XK_t).front();
  const std::tuple<std::uint8_t, std::uint16_t, xcb_timestamp_t> events[] = {
      {XCB_KEY_PRESS, kControlAlt, 1000},  {XCB_KEY_PRESS, kControlAlt, 1660}, {XCB_KEY_PRESS, kControlAlt, 1700},
      {XCB_KEY_RELEASE, 0, 1720},          // the release of a grabbed chord may carry no modifiers
      {XCB_KEY_PRESS, kControlAlt, 2000},  {XCB_KEY_RELEASE, kControlAlt, 2050},
  };
  for (const auto& [type, state, time] : events) {
    EXPECT_TRUE(service->handleEvent(keyEvent(type, t, state, time, us->root()))) << time;
  }
  EXPECT_EQ(fired, (std::vector<std::uint32_t>{1, 1}));
}

TEST_F(XcbHotkeyServiceTest, PressesInTheCallersOwnWindowsAreLeftToThem) {
  registered(kKeyT, kControlOption, 1);
  // A window of the caller's, not the root the grabs report to.
  const xcb_window_t window = us->root() + 1;
  EXPECT_FALSE(service->handleEvent(keyEvent(XCB_KEY_PRESS, us->keycodes(XK_t).front(), kControlAlt, 1000, window)));
  EXPECT_TRUE(fired.empty());
}

TEST_F(XcbHotkeyServiceTest, GrabsFollowTheKeyboardMapping) {
  // A toolkit that speaks XKB hears of keymap changes through XKB instead of
  // the core MappingNotify; the service must act on either.
  xcb_query_extension_reply_t* xkb =
      xcb_query_extension_reply(us->connection(), xcb_query_extension(us->connection(), 9, "XKEYBOARD"), nullptr);
  ASSERT_TRUE(xkb && xkb->present);
  const std::uint8_t xkbEvent = xkb->first_event;
  std::free(xkb);

  for (bool throughXkb : {false, true}) {
    SCOPED_TRACE(throughXkb ? "XKB map notification" : "core MappingNotify");
    const xcb_keycode_t tKey = us->keycodes(XK_t).front();
    const xcb_keycode_t yKey = us->keycodes(XK_y).front();
    auto chord = registered(kKeyT, kControlOption, 1);
    fired.clear();

    // T and Y trade keys.
    const auto assign = [](xcb_keycode_t key, const char* symbols) { return "keycode " + std::to_string(key) + " = " + symbols; };
    dropMappingNotify = throughXkb;
    ASSERT_TRUE(session.run({"xmodmap", "-e", assign(tKey, "y Y"), "-e", assign(yKey, "t T")}));
    pump();
    if (throughXkb) {
      xcb_generic_event_t mapNotify{};
      mapNotify.response_type = xkbEvent;
      mapNotify.pad0 = 1;  // XkbMapNotify
      service->handleEvent(&mapNotify);
    }
    dropMappingNotify = false;

    EXPECT_TRUE(other->keyIsFree(XK_y)) << "the key that used to be T is still grabbed";
    xdotool({"key", "ctrl+alt+y", "ctrl+alt+t"});
    EXPECT_TRUE(pumpUntil([&] { return !fired.empty(); }));
    EXPECT_EQ(fired, std::vector<std::uint32_t>{1});
    service->unregisterHotkey(chord);
  }
}

}  // namespace
}  // namespace tavelin::app::testing
