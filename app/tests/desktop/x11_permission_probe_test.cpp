#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "platform/linux/x11/X11PermissionProbe.hpp"
#include "platform/linux/x11/XcbHotkeyService.hpp"
#include "x11/XcbClient.hpp"
#include "x11/XvfbSession.hpp"

namespace tavelin::app::testing {
namespace {

// What the permission checks ask to learn whether global chords can be had.
const ProbeHotKey kEscapeWithEverything{.keyCode = 53, .modifiers = 6912, .signature = "TVPR", .id = 999};
constexpr std::uint16_t kAllFour = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4;

TEST(X11PermissionProbe, AConnectedClientIsGrantedAndItsProbeGrabIsGoneAtOnce) {
  XvfbSession session(XvfbSession::Options{.windowManager = false});
  ASSERT_TRUE(session.ok()) << session.reason();
  XcbClient us(session.display());
  XcbClient other(session.display());
  XcbHotkeyService hotkeys(us.connection(), us.root());
  X11PermissionProbe probe(us.connection(), hotkeys);

  EXPECT_TRUE(probe.isAccessibilityTrusted(false));
  EXPECT_TRUE(probe.isAccessibilityTrusted(true));
  EXPECT_TRUE(probe.installsGlobalKeyMonitor());
  EXPECT_TRUE(probe.registersHotKey(kEscapeWithEverything));
  EXPECT_TRUE(other.keyIsFree(XK_Escape));

  // Someone else holding the probe's chord is what a refusal looks like here.
  ASSERT_TRUE(other.grab(XK_Escape, kAllFour));
  EXPECT_FALSE(probe.registersHotKey(kEscapeWithEverything));
  probe.attemptKeyEventTap();  // nothing to do, and nothing happens
}

TEST(X11PermissionProbe, WithoutAServerNothingIsGranted) {
  // A display that does not exist gives a connection in its error state.
  XcbClient dead("unix:/nonexistent/tavelin-test-display");
  ASSERT_FALSE(dead.ok());
  XcbHotkeyService hotkeys(dead.connection(), 0);
  X11PermissionProbe probe(dead.connection(), hotkeys);
  EXPECT_FALSE(probe.isAccessibilityTrusted(false));
  EXPECT_FALSE(probe.installsGlobalKeyMonitor());
  EXPECT_FALSE(probe.registersHotKey(kEscapeWithEverything));
  EXPECT_EQ(hotkeys.registerHotkey(17, 4096, 0, 1).status, kEventHotKeyInvalidErr);
}

TEST(X11PermissionProbe, AFileCountsWhenItCanBeRead) {
  XcbHotkeyService hotkeys(nullptr, 0);
  X11PermissionProbe probe(nullptr, hotkeys);
  const auto file = std::filesystem::temp_directory_path() / ("tavelin-probe-" + std::to_string(::getpid()));
  std::ofstream(file) << "x";
  EXPECT_TRUE(probe.isReadableFile(file.string()));
  std::filesystem::remove(file);
  EXPECT_FALSE(probe.isReadableFile(file.string()));
  EXPECT_FALSE(probe.isReadableFile("/Library/Application Support/com.apple.TCC/TCC.db"));
}

}  // namespace
}  // namespace tavelin::app::testing
