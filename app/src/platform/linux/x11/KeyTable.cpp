#include "platform/linux/x11/KeyTable.hpp"

#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <span>

#include <tavelin/config.hpp>

namespace tavelin::app {
namespace {

struct Entry {
  std::uint32_t keyCode;
  xcb_keysym_t keysym;
};

// Each key code and the keysym of the key at its position on an ANSI keyboard.
constexpr Entry kKeys[] = {
    // letters
    {0, XK_a}, {1, XK_s}, {2, XK_d}, {3, XK_f}, {4, XK_h}, {5, XK_g}, {6, XK_z}, {7, XK_x}, {8, XK_c},
    {9, XK_v}, {11, XK_b}, {12, XK_q}, {13, XK_w}, {14, XK_e}, {15, XK_r}, {16, XK_y}, {17, XK_t},
    {31, XK_o}, {32, XK_u}, {34, XK_i}, {35, XK_p}, {37, XK_l}, {38, XK_j}, {40, XK_k}, {45, XK_n},
    {46, XK_m},
    // digits
    {18, XK_1}, {19, XK_2}, {20, XK_3}, {21, XK_4}, {22, XK_6}, {23, XK_5}, {25, XK_9}, {26, XK_7},
    {28, XK_8}, {29, XK_0},
    // punctuation
    {24, XK_equal}, {27, XK_minus}, {30, XK_bracketright}, {33, XK_bracketleft}, {39, XK_apostrophe},
    {41, XK_semicolon}, {42, XK_backslash}, {43, XK_comma}, {44, XK_slash}, {47, XK_period},
    {50, XK_grave},
    // named keys; the Mac's Delete is the backspace key, its Help key sits
    // where Insert is, its Fwd Del is Delete
    {36, XK_Return}, {48, XK_Tab}, {49, XK_space}, {51, XK_BackSpace}, {53, XK_Escape}, {114, XK_Insert},
    {115, XK_Home}, {116, XK_Prior}, {117, XK_Delete}, {119, XK_End}, {121, XK_Next},
    // arrows
    {123, XK_Left}, {124, XK_Right}, {125, XK_Down}, {126, XK_Up},
    // function keys
    {122, XK_F1}, {120, XK_F2}, {99, XK_F3}, {118, XK_F4}, {96, XK_F5}, {97, XK_F6}, {98, XK_F7},
    {100, XK_F8}, {101, XK_F9}, {109, XK_F10}, {103, XK_F11}, {111, XK_F12}, {105, XK_F13}, {107, XK_F14},
    {113, XK_F15}, {106, XK_F16}, {64, XK_F17}, {79, XK_F18}, {80, XK_F19}, {90, XK_F20},
    // keypad; the Mac's Clear key is the PC keypad's NumLock key (one USB
    // usage for both), which is the key the position names
    {65, XK_KP_Decimal}, {67, XK_KP_Multiply}, {69, XK_KP_Add}, {71, XK_Num_Lock}, {75, XK_KP_Divide},
    {76, XK_KP_Enter}, {78, XK_KP_Subtract}, {81, XK_KP_Equal}, {82, XK_KP_0}, {83, XK_KP_1},
    {84, XK_KP_2}, {85, XK_KP_3}, {86, XK_KP_4}, {87, XK_KP_5}, {88, XK_KP_6}, {89, XK_KP_7},
    {91, XK_KP_8}, {92, XK_KP_9},
    // modifier keys: unnamed, but a press of one must read as a modifier key
    {54, XK_Super_R}, {55, XK_Super_L}, {56, XK_Shift_L}, {57, XK_Caps_Lock}, {58, XK_Alt_L},
    {59, XK_Control_L}, {60, XK_Shift_R}, {61, XK_Alt_R}, {62, XK_Control_R},
};

// Other keysyms of the same keys: the keypad without NumLock, and what some
// layouts or keyboards call a key.
constexpr Entry kAliases[] = {
    {65, XK_KP_Delete}, {82, XK_KP_Insert}, {83, XK_KP_End}, {84, XK_KP_Down}, {85, XK_KP_Next},
    {86, XK_KP_Left}, {87, XK_KP_Begin}, {88, XK_KP_Right}, {89, XK_KP_Home}, {91, XK_KP_Up},
    {92, XK_KP_Prior}, {71, XK_Clear}, {114, XK_Help}, {48, XK_ISO_Left_Tab}, {61, XK_ISO_Level3_Shift},
};

constexpr std::uint16_t kControl = XCB_MOD_MASK_CONTROL;
constexpr std::uint16_t kAlt = XCB_MOD_MASK_1;
constexpr std::uint16_t kShift = XCB_MOD_MASK_SHIFT;
constexpr std::uint16_t kSuper = XCB_MOD_MASK_4;

struct ModifierPair {
  std::uint32_t carbon;
  std::uint16_t x;
};
constexpr ModifierPair kModifiers[] = {
    {control_key, kControl}, {option_key, kAlt}, {shift_key, kShift}, {cmd_key, kSuper}};

std::optional<std::uint32_t> find(std::span<const Entry> entries, xcb_keysym_t keysym) {
  auto found = std::ranges::find(entries, keysym, &Entry::keysym);
  if (found == entries.end()) return std::nullopt;
  return found->keyCode;
}

char32_t codePoint(xcb_keysym_t keysym) {
  if ((keysym >= 0x20 && keysym <= 0x7e) || (keysym >= 0xa0 && keysym <= 0xff)) return keysym;
  if (keysym >= 0x1000100 && keysym <= 0x110ffff) return keysym - 0x1000000;
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return U'0' + (keysym - XK_KP_0);
  switch (keysym) {
    case XK_EuroSign: return U'€';
    case XK_Return: case XK_KP_Enter: return U'\r';
    case XK_Tab: case XK_KP_Tab: case XK_ISO_Left_Tab: return U'\t';
    case XK_Escape: return U'\x1b';
    case XK_BackSpace: return U'\x7f';
    case XK_KP_Space: return U' ';
    case XK_KP_Equal: return U'=';
    case XK_KP_Multiply: return U'*';
    case XK_KP_Add: return U'+';
    case XK_KP_Separator: return U',';
    case XK_KP_Subtract: return U'-';
    case XK_KP_Decimal: return U'.';
    case XK_KP_Divide: return U'/';
    default: return 0;
  }
}

std::string utf8(char32_t c) {
  std::string out;
  if (c == 0 || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) return out;
  auto byte = [&](char32_t b) { out.push_back(static_cast<char>(b)); };
  if (c < 0x80) {
    byte(c);
  } else if (c < 0x800) {
    byte(0xc0 | (c >> 6));
    byte(0x80 | (c & 0x3f));
  } else if (c < 0x10000) {
    byte(0xe0 | (c >> 12));
    byte(0x80 | ((c >> 6) & 0x3f));
    byte(0x80 | (c & 0x3f));
  } else {
    byte(0xf0 | (c >> 18));
    byte(0x80 | ((c >> 12) & 0x3f));
    byte(0x80 | ((c >> 6) & 0x3f));
    byte(0x80 | (c & 0x3f));
  }
  return out;
}

// Caps Lock's upper case, for the keysyms where it is arithmetic (ASCII and
// Latin-1).
xcb_keysym_t upper(xcb_keysym_t keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return keysym - (XK_a - XK_A);
  if (keysym >= XK_agrave && keysym <= XK_thorn && keysym != XK_division) return keysym - (XK_agrave - XK_Agrave);
  return keysym;
}

bool isKeypad(xcb_keysym_t keysym) { return keysym >= XK_KP_Space && keysym <= XK_KP_Equal; }

// The keysym the core protocol says a press types with this state.
xcb_keysym_t typedKeysym(KeyTable::KeySymbols symbols, std::uint16_t state, std::uint16_t numLockMask) {
  const xcb_keysym_t shifted = symbols.shifted != 0 ? symbols.shifted : symbols.unshifted;
  const bool shift = (state & kShift) != 0;
  const bool capsLock = (state & XCB_MOD_MASK_LOCK) != 0;
  if (numLockMask != 0 && (state & numLockMask) != 0 && isKeypad(shifted)) {
    return shift ? symbols.unshifted : shifted;
  }
  const xcb_keysym_t chosen = shift ? shifted : symbols.unshifted;
  return capsLock ? upper(chosen) : chosen;
}

// A control character for Control with a letter or one of @[\]^_, as
// terminals and the Mac give them; any other text stays as it is.
std::string withControl(std::string text) {
  if (text.size() != 1) return text;
  const char c = text[0];
  const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  const bool symbol = c == '[' || c == '\\' || c == ']' || c == '^' || c == '_';
  if (letter || symbol) text[0] = static_cast<char>(c & 0x1f);
  return text;
}

// The modifier a modifier key's own press adds: X reports the state from
// before the press, but a chord being recorded should show the key held.
std::uint32_t ownModifier(std::uint32_t keyCode) {
  switch (keyCode) {
    case 54: case 55: return cmd_key;
    case 56: case 60: return shift_key;
    case 58: case 61: return option_key;
    case 59: case 62: return control_key;
    default: return 0;
  }
}

}  // namespace

std::optional<xcb_keysym_t> KeyTable::keysym(std::uint32_t keyCode) {
  auto found = std::ranges::find(kKeys, keyCode, &Entry::keyCode);
  if (found == std::end(kKeys)) return std::nullopt;
  return found->keysym;
}

std::optional<std::uint32_t> KeyTable::keyCode(xcb_keysym_t keysym) {
  if (keysym >= XK_A && keysym <= XK_Z) keysym += XK_a - XK_A;
  if (auto own = find(kKeys, keysym)) return own;
  return find(kAliases, keysym);
}

std::uint16_t KeyTable::xModifiers(std::uint32_t carbonModifiers) {
  std::uint16_t x = 0;
  for (const auto& pair : kModifiers) {
    if ((carbonModifiers & pair.carbon) != 0) x |= pair.x;
  }
  return x;
}

std::uint32_t KeyTable::carbonModifiers(std::uint16_t state) {
  std::uint32_t carbon = (state & XCB_MOD_MASK_LOCK) != 0 ? alpha_lock : 0;
  for (const auto& pair : kModifiers) {
    if ((state & pair.x) != 0) carbon |= pair.carbon;
  }
  return carbon;
}

std::string KeyTable::characters(xcb_keysym_t keysym) { return utf8(codePoint(keysym)); }

KeyEvent KeyTable::keyEvent(KeySymbols symbols, std::uint16_t state, std::uint16_t numLockMask) {
  KeyEvent event;
  event.keyCode = keyCode(symbols.unshifted).value_or(keyCode(symbols.shifted).value_or(unknownKeyCode));
  event.modifiers = carbonModifiers(state) | ownModifier(event.keyCode);
  event.characters = characters(typedKeysym(symbols, state, numLockMask));
  if ((state & kControl) != 0) event.characters = withControl(std::move(event.characters));
  // NumLock is a state of the keypad, not a modifier: it stays in the bare key.
  const auto bareState = static_cast<std::uint16_t>(state & numLockMask);
  event.charactersIgnoringModifiers = characters(typedKeysym(symbols, bareState, numLockMask));
  return event;
}

KeyEvent KeyTable::keyEvent(xcb_key_symbols_t* symbols, xcb_keycode_t keycode, std::uint16_t state,
                            std::uint16_t numLockMask) {
  return keyEvent(KeySymbols{xcb_key_symbols_get_keysym(symbols, keycode, 0),
                             xcb_key_symbols_get_keysym(symbols, keycode, 1)},
                  state, numLockMask);
}

std::uint16_t KeyTable::modifierMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols,
                                     xcb_keysym_t keysym) {
  xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
  if (keycodes == nullptr) return 0;
  std::uint16_t mask = 0;
  xcb_get_modifier_mapping_reply_t* mapping =
      xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr);
  if (mapping != nullptr) {
    const xcb_keycode_t* mapped = xcb_get_modifier_mapping_keycodes(mapping);
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
      for (int i = 0; i < perModifier; ++i) {
        const xcb_keycode_t code = mapped[modifier * perModifier + i];
        for (const xcb_keycode_t* k = keycodes; code != 0 && *k != 0; ++k) {
          if (*k == code) mask = static_cast<std::uint16_t>(mask | (1u << modifier));
        }
      }
    }
    std::free(mapping);
  }
  std::free(keycodes);
  return mask;
}

}  // namespace tavelin::app
