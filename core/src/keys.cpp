#include <tavelin/keys.hpp>

#include <array>
#include <string>

#include <tavelin/config.hpp>

namespace tavelin {
namespace {

// Labels of the macOS virtual key codes, by code; an empty entry is a key with
// no name. Every named code is below 127.
constexpr std::array<std::string_view, 127> labels = [] {
  std::array<std::string_view, 127> l{};
  // Letters (ANSI positions, so not in alphabetical order).
  l[0] = "A", l[1] = "S", l[2] = "D", l[3] = "F", l[4] = "H", l[5] = "G", l[6] = "Z";
  l[7] = "X", l[8] = "C", l[9] = "V", l[11] = "B", l[12] = "Q", l[13] = "W", l[14] = "E";
  l[15] = "R", l[16] = "Y", l[17] = "T", l[31] = "O", l[32] = "U", l[34] = "I", l[35] = "P";
  l[37] = "L", l[38] = "J", l[40] = "K", l[45] = "N", l[46] = "M";
  // Digits.
  l[18] = "1", l[19] = "2", l[20] = "3", l[21] = "4", l[22] = "6", l[23] = "5";
  l[25] = "9", l[26] = "7", l[28] = "8", l[29] = "0";
  // Punctuation.
  l[24] = "=", l[27] = "-", l[30] = "]", l[33] = "[", l[39] = "'", l[41] = ";";
  l[42] = "\\", l[43] = ",", l[44] = "/", l[47] = ".", l[50] = "`";
  // Named keys.
  l[36] = "Return", l[48] = "Tab", l[49] = "Space", l[51] = "Delete", l[53] = "Esc";
  l[114] = "Help", l[115] = "Home", l[116] = "Page Up", l[117] = "Fwd Del";
  l[119] = "End", l[121] = "Page Down";
  // Arrows.
  l[123] = "←", l[124] = "→", l[125] = "↓", l[126] = "↑";
  // Function keys.
  l[122] = "F1", l[120] = "F2", l[99] = "F3", l[118] = "F4", l[96] = "F5";
  l[97] = "F6", l[98] = "F7", l[100] = "F8", l[101] = "F9", l[109] = "F10";
  l[103] = "F11", l[111] = "F12", l[105] = "F13", l[107] = "F14", l[113] = "F15";
  l[106] = "F16", l[64] = "F17", l[79] = "F18", l[80] = "F19", l[90] = "F20";
  // Keypad.
  l[65] = "Numpad .", l[67] = "Numpad *", l[69] = "Numpad +", l[71] = "Numpad Clear";
  l[75] = "Numpad /", l[76] = "Numpad Enter", l[78] = "Numpad -", l[81] = "Numpad =";
  l[82] = "Numpad 0", l[83] = "Numpad 1", l[84] = "Numpad 2", l[85] = "Numpad 3";
  l[86] = "Numpad 4", l[87] = "Numpad 5", l[88] = "Numpad 6", l[89] = "Numpad 7";
  l[91] = "Numpad 8", l[92] = "Numpad 9";
  return l;
}();

constexpr std::uint32_t required_modifiers = cmd_key | option_key | control_key;

}  // namespace

std::optional<std::string_view> key_label(std::uint32_t key_code) {
  if (key_code >= labels.size() || labels[key_code].empty()) return std::nullopt;
  return labels[key_code];
}

std::string hotkey_display(std::uint32_t key_code, std::uint32_t modifiers) {
  std::string text;
  if (modifiers & control_key) text += "⌃";
  if (modifiers & option_key) text += "⌥";
  if (modifiers & shift_key) text += "⇧";
  if (modifiers & cmd_key) text += "⌘";
  if (const auto label = key_label(key_code)) {
    text += *label;
  } else {
    text += "Key " + std::to_string(key_code);
  }
  return text;
}

bool is_modifier_key(std::uint32_t key_code) { return key_code >= 55 && key_code <= 62; }

bool has_required_modifier(std::uint32_t modifiers) {
  return (modifiers & required_modifiers) != 0;
}

std::expected<void, CoreError> check_hotkey(std::uint32_t key_code, std::uint32_t modifiers) {
  // Without ⌘, ⌥ or ⌃ the chord would swallow a plain keystroke everywhere;
  // ⇧ alone still types ordinary text.
  if (!has_required_modifier(modifiers)) {
    return std::unexpected(CoreError{CoreError::Kind::Invalid,
                                     "A hotkey must include ⌘, ⌥ or ⌃ — without one it takes an "
                                     "ordinary keystroke away from every app."});
  }
  if (is_modifier_key(key_code)) {
    return std::unexpected(
        CoreError{CoreError::Kind::Invalid, "Press a key alongside the modifiers."});
  }
  return {};
}

}  // namespace tavelin
