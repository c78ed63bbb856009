#pragma once

#include <xcb/xcb.h>

#include "platform/HotkeyService.hpp"
#include "platform/PermissionProbe.hpp"

namespace tavelin::app {

// What the permission checks can learn on X11, where no permission stands
// between a client and the keyboard or other clients' windows: a live
// connection to the server is all Accessibility and a key monitor need, and
// whether global chords can be had is found out by taking one.
class X11PermissionProbe final : public PermissionProbe {
 public:
  // `hotkeys` must be the service the application's own chords go through:
  // a second service on the same connection would be the same X client, so
  // its probe grab could neither collide with nor be told from ours, and
  // releasing it would release the application's chord of the same keys.
  X11PermissionProbe(xcb_connection_t* connection, HotkeyService& hotkeys);

  bool isAccessibilityTrusted(bool prompt) override;
  bool installsGlobalKeyMonitor() override;
  bool registersHotKey(const ProbeHotKey& hotKey) override;
  void attemptKeyEventTap() override;
  bool isReadableFile(const std::string& path) override;

 private:
  bool connected() const;

  xcb_connection_t* connection_;
  HotkeyService& hotkeys_;
};

}  // namespace tavelin::app
