#pragma once

#include <cstdint>
#include <string>

namespace tavelin::app {

// One key press reaching one of our own windows, in the configuration's
// numbering: the platform layer translates its native events into this value,
// so the logic of every window that reads keys is written once and tested with
// plain values.
struct KeyEvent {
  std::uint32_t keyCode = 0;     // the virtual key code of the configuration's chords
  std::uint32_t modifiers = 0;   // the Carbon mask: cmd_key, shift_key, option_key, control_key
  std::string characters;        // the text the press produces, modifiers applied (shift gives capitals)
  std::string charactersIgnoringModifiers;  // the text of the bare key
  bool operator==(const KeyEvent&) const = default;
};

// Key codes the windows react to by position rather than by text.
inline constexpr std::uint32_t kKeyCodeDelete = 51;  // the backspace key
inline constexpr std::uint32_t kKeyCodeEscape = 53;

}  // namespace tavelin::app
