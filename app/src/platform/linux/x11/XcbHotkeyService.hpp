#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <compare>
#include <expected>
#include <memory>
#include <set>
#include <vector>

#include "platform/HotkeyService.hpp"

namespace tavelin::app {

// System-wide chords as passive key grabs on the root window. A chord is
// grabbed on every keycode that produces its key and under every combination
// of Caps Lock, NumLock and Scroll Lock, so a lit lock does not silence it; it
// is either wholly ours or not grabbed at all. Nothing here reads the
// connection: the owner of the event loop hands every event to handleEvent,
// and the handler runs inside that call, on the caller's thread.
class XcbHotkeyService final : public HotkeyService {
 public:
  // `connection` stays the caller's and must outlive the service; `root` is
  // the window the chords are grabbed on.
  XcbHotkeyService(xcb_connection_t* connection, xcb_window_t root);
  ~XcbHotkeyService() override;
  XcbHotkeyService(const XcbHotkeyService&) = delete;
  XcbHotkeyService& operator=(const XcbHotkeyService&) = delete;

  int installHandler(std::function<int(const HotkeyPress&)> handler) override;

  // 0 when every grab took; kEventHotKeyExistsErr when another client (or an
  // earlier registration here) holds the chord; kEventHotKeyInvalidErr when
  // this keyboard cannot type the key.
  HotkeyRegisterResult registerHotkey(std::uint32_t keyCode, std::uint32_t modifiers, std::uint32_t signature,
                                      std::uint32_t id) override;

  // Releases exactly the registration's grabs; when it returns, other clients
  // can have the chord.
  void unregisterHotkey(const std::shared_ptr<HotkeyRegistration>& registration) override;

  // Feed it every event of the connection. A first press of a chord calls the
  // handler; its auto-repeats and its release do not. True when the event was
  // a press or release of one of our chords, which no window should see.
  // Keyboard mapping changes (core MappingNotify, or XKB's map and
  // new-keyboard notifications on a connection that asked for those) re-grab
  // every chord and answer false, so the toolkit still sees them too.
  bool handleEvent(const xcb_generic_event_t* event);

 private:
  struct Grab {
    xcb_keycode_t keycode;
    std::uint16_t modifiers;
    auto operator<=>(const Grab&) const = default;
  };
  struct Chord;

  std::vector<Grab> grabsFor(xcb_keysym_t keysym, std::uint16_t modifiers) const;
  std::expected<std::vector<Grab>, int> grab(xcb_keysym_t keysym, std::uint16_t modifiers);
  void ungrab(const std::vector<Grab>& grabs);
  bool connected() const;
  void readKeyboard();
  void regrabAll();
  void sync();
  bool onPress(const xcb_key_press_event_t& event);
  bool onRelease(const xcb_key_release_event_t& event);

  xcb_connection_t* connection_;
  xcb_window_t root_;
  xcb_key_symbols_t* symbols_ = nullptr;
  std::uint16_t numLock_ = 0;
  std::uint16_t scrollLock_ = 0;
  std::uint8_t xkbEvent_ = 0;  // the XKEYBOARD extension's event code, 0 without it
  std::function<int(const HotkeyPress&)> handler_;
  std::vector<std::shared_ptr<Chord>> chords_;
  std::set<xcb_keycode_t> held_;  // keys of chords pressed and not yet released
  // The last release of a held key: without detectable auto-repeat the server
  // sends each repeat as a release and a press with one timestamp.
  xcb_keycode_t lastReleased_ = 0;
  xcb_timestamp_t lastReleaseTime_ = 0;
};

}  // namespace tavelin::app
