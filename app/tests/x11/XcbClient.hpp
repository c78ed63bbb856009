#pragma once

// A client of the test display: the connection the code under test runs on,
// or another application that holds chords of its own.

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tavelin::app::testing {

class XcbClient {
 public:
  explicit XcbClient(const std::string& display) : connection_(xcb_connect(display.c_str(), nullptr)) {}
  ~XcbClient() { xcb_disconnect(connection_); }
  XcbClient(const XcbClient&) = delete;
  XcbClient& operator=(const XcbClient&) = delete;

  bool ok() const { return xcb_connection_has_error(connection_) == 0; }
  xcb_connection_t* connection() const { return connection_; }
  xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root; }

  // A round trip: the server has done everything asked of it before now, and
  // every event it sent us until then has been read.
  void sync() const { std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

  // The keycodes that type `keysym` on the keymap in force now.
  std::vector<xcb_keycode_t> keycodes(xcb_keysym_t keysym) const {
    std::vector<xcb_keycode_t> codes;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    if (xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysym)) {
      for (const xcb_keycode_t* k = found; *k != 0; ++k) codes.push_back(*k);
      std::free(found);
    }
    xcb_key_symbols_free(symbols);
    return codes;
  }

  // Grabs the key with exactly these modifiers; true when the server agreed.
  bool grab(xcb_keysym_t keysym, std::uint16_t modifiers) const {
    bool all = true;
    for (xcb_keycode_t code : keycodes(keysym)) {
      auto cookie = xcb_grab_key_checked(connection_, 0, root(), modifiers, code, XCB_GRAB_MODE_ASYNC,
                                         XCB_GRAB_MODE_ASYNC);
      if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
        all = false;
        std::free(error);
      }
    }
    return all;
  }

  // Whether no other client grabs the key under any modifiers at all: a grab
  // with AnyModifier is refused whole when any one combination is taken.
  // What this takes it gives back at once.
  bool keyIsFree(xcb_keysym_t keysym) const {
    const bool free = grab(keysym, XCB_MOD_MASK_ANY);
    for (xcb_keycode_t code : keycodes(keysym)) xcb_ungrab_key(connection_, code, root(), XCB_MOD_MASK_ANY);
    sync();
    return free;
  }

 private:
  xcb_connection_t* connection_;
};

}  // namespace tavelin::app::testing
