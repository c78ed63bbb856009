#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/KeyEvent.hpp"

namespace tavelin::app {

// The one translation between the configuration's chords — macOS virtual key
// codes, which name positions on an ANSI keyboard, and Carbon modifier masks —
// and X11's keysyms and modifier state. Global chords, key presses in our own
// windows and the chords we show all go through it, so they cannot disagree.
class KeyTable {
 public:
  // The key code of a key press whose key has no code (a media key, a key of
  // another layout): outside every range the configuration gives a meaning.
  static constexpr std::uint32_t unknownKeyCode = 0xFFFF;

  // The keysym of the key at a key code's position: the hundred named keys and
  // the modifier keys. Nothing for a code no key is known by.
  static std::optional<xcb_keysym_t> keysym(std::uint32_t keyCode);

  // The key code of a keysym. Besides each key's own keysym this accepts the
  // capital letters, the keypad keys as they read without NumLock, and the
  // other names layouts give some of these keys (Help, Clear, ISO_Left_Tab,
  // ISO_Level3_Shift).
  static std::optional<std::uint32_t> keyCode(xcb_keysym_t keysym);

  // ⌃ → Control, ⌥ → Mod1 (Alt), ⇧ → Shift, ⌘ → Mod4 (Super). Other bits,
  // caps lock among them, do not take part in a chord and are dropped.
  static std::uint16_t xModifiers(std::uint32_t carbonModifiers);

  // And back, for key presses: Lock becomes alpha_lock; NumLock, the other
  // modifiers, the pointer buttons and the layout group are dropped.
  static std::uint32_t carbonModifiers(std::uint16_t state);

  // The UTF-8 text a keysym types. Covered: ASCII, Latin-1, the Unicode
  // keysyms (0x1000100 up), EuroSign, the keypad's characters, and Return,
  // Tab, Escape and BackSpace (as DEL, which our windows take for the delete
  // key). Empty for everything else: navigation and function keys, modifiers,
  // and the legacy keysym ranges of other scripts (Latin-2 to 4, Cyrillic,
  // Greek, ...), which have no arithmetic mapping.
  static std::string characters(xcb_keysym_t keysym);

  // The first two keysyms of an X key: as typed, and with Shift.
  // `shifted` may be 0 (NoSymbol): the key types `unshifted` either way.
  struct KeySymbols {
    xcb_keysym_t unshifted = 0;
    xcb_keysym_t shifted = 0;
  };

  // One key press in our own windows as a KeyEvent, choosing the keysym by the
  // core protocol's rules for Shift, Caps Lock and NumLock (of the first layout
  // group only). Control turns letters and [\]^_ into control characters, as
  // a terminal would; a modifier key's own modifier counts as held.
  static KeyEvent keyEvent(KeySymbols symbols, std::uint16_t state, std::uint16_t numLockMask);

  // The same from the X event's keycode and state, on the connection's keymap.
  static KeyEvent keyEvent(xcb_key_symbols_t* symbols, xcb_keycode_t keycode, std::uint16_t state,
                           std::uint16_t numLockMask);

  // The modifier bits the keys producing `keysym` are mapped to (NumLock is
  // usually Mod2), read from the server's modifier mapping; 0 when none.
  static std::uint16_t modifierMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols,
                                    xcb_keysym_t keysym);
};

}  // namespace tavelin::app
