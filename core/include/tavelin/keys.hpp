#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include <tavelin/error.hpp>

namespace tavelin {

// The label of one key code ("Space", "A", "F5"), or nothing when the key has
// no name.
std::optional<std::string_view> key_label(std::uint32_t key_code);

// The only way a chord becomes text: modifier symbols in the order ⌃ ⌥ ⇧ ⌘,
// then the key's label or "Key " + its code.
std::string hotkey_display(std::uint32_t key_code, std::uint32_t modifiers);

// True for key codes 55 to 62: a capture still in progress, not a chord.
bool is_modifier_key(std::uint32_t key_code);

// True when the mask carries ⌘, ⌥ or ⌃.
bool has_required_modifier(std::uint32_t modifiers);

// The chord rule every stored chord passes.
std::expected<void, CoreError> check_hotkey(std::uint32_t key_code, std::uint32_t modifiers);

}  // namespace tavelin
