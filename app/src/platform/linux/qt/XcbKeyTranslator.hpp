#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <optional>

#include "platform/KeyEvent.hpp"

class QKeyEvent;

namespace tavelin::app {

// Turns Qt's key presses on X11 back into the configuration's numbering: the
// X keycode and state Qt carries with each press go through the key table on
// the server's current keymap, so a press in our windows reads exactly as the
// same chord does globally.
class XcbKeyTranslator {
 public:
  // `connection` stays the caller's and must outlive the translator.
  explicit XcbKeyTranslator(xcb_connection_t* connection);
  ~XcbKeyTranslator();
  XcbKeyTranslator(const XcbKeyTranslator&) = delete;
  XcbKeyTranslator& operator=(const XcbKeyTranslator&) = delete;

  // None for a press that did not come from the X server (no keycode).
  std::optional<KeyEvent> translate(const QKeyEvent& event) const;
  std::optional<KeyEvent> translate(std::uint32_t keycode, std::uint32_t state) const;

  // Follows keymap changes; never claims an event.
  bool handleEvent(const xcb_generic_event_t* event);

 private:
  void readModifiers();

  xcb_connection_t* connection_;
  xcb_key_symbols_t* symbols_ = nullptr;
  std::uint16_t numLock_ = 0;
  std::uint8_t xkbEvent_ = 0;  // the XKEYBOARD extension's event code, 0 without it
};

}  // namespace tavelin::app
