#include "platform/linux/qt/XcbKeyTranslator.hpp"

#include <X11/keysym.h>

#include <QKeyEvent>
#include <cstdlib>
#include <cstring>

#include "platform/linux/x11/KeyTable.hpp"

namespace tavelin::app {
namespace {

// XKB's notifications that the keymap was replaced or changed; Qt's
// connection asks for these, and the server then sends no core MappingNotify.
constexpr std::uint8_t kXkbNewKeyboardNotify = 0;
constexpr std::uint8_t kXkbMapNotify = 1;

}  // namespace

XcbKeyTranslator::XcbKeyTranslator(xcb_connection_t* connection) : connection_(connection) {
  if (!connection_ || xcb_connection_has_error(connection_)) return;
  symbols_ = xcb_key_symbols_alloc(connection_);
  constexpr const char* xkb = "XKEYBOARD";
  xcb_query_extension_reply_t* extension = xcb_query_extension_reply(
      connection_, xcb_query_extension(connection_, static_cast<std::uint16_t>(std::strlen(xkb)), xkb), nullptr);
  if (extension && extension->present != 0) xkbEvent_ = extension->first_event;
  std::free(extension);
  readModifiers();
}

XcbKeyTranslator::~XcbKeyTranslator() {
  if (symbols_) xcb_key_symbols_free(symbols_);
}

void XcbKeyTranslator::readModifiers() {
  numLock_ = symbols_ ? KeyTable::modifierMask(connection_, symbols_, XK_Num_Lock) : 0;
}

std::optional<KeyEvent> XcbKeyTranslator::translate(std::uint32_t keycode, std::uint32_t state) const {
  // X keycodes run from 8 to 255; anything else did not come from the server.
  if (!symbols_ || keycode < 8 || keycode > 255) return std::nullopt;
  return KeyTable::keyEvent(symbols_, static_cast<xcb_keycode_t>(keycode), static_cast<std::uint16_t>(state & 0xFFFF),
                            numLock_);
}

std::optional<KeyEvent> XcbKeyTranslator::translate(const QKeyEvent& event) const {
  return translate(event.nativeScanCode(), event.nativeModifiers());
}

bool XcbKeyTranslator::handleEvent(const xcb_generic_event_t* event) {
  if (!symbols_) return false;
  const std::uint8_t type = event->response_type & 0x7F;
  if (type == XCB_MAPPING_NOTIFY) {
    auto* mapping = const_cast<xcb_mapping_notify_event_t*>(reinterpret_cast<const xcb_mapping_notify_event_t*>(event));
    xcb_refresh_keyboard_mapping(symbols_, mapping);
    readModifiers();
  } else if (xkbEvent_ != 0 && type == xkbEvent_ &&
             (event->pad0 == kXkbNewKeyboardNotify || event->pad0 == kXkbMapNotify)) {
    // XKB's events share one code and tell themselves apart by their second
    // byte; the table reads the new keymap on its next lookup.
    xcb_key_symbols_free(symbols_);
    symbols_ = xcb_key_symbols_alloc(connection_);
    readModifiers();
  }
  return false;
}

}  // namespace tavelin::app
