#pragma once

// The rules a binding or a terminal id must pass before the store saves it.
// Each takes the value by reference, trims what is stored trimmed, and gives
// the first failing rule's refusal.

#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include <tavelin/config.hpp>
#include <tavelin/error.hpp>

namespace tavelin::rules {

std::expected<void, CoreError> check_sequence(KeySequence& sequence, const std::vector<KeySequence>& existing);

std::expected<void, CoreError> check_global_key(GlobalKey& key, const std::vector<GlobalKey>& existing,
                                                const Hotkey& activation);

// Trimmed, refused when empty or holding white space, and written in the
// catalogue's letter case when recognised.
std::expected<std::string, CoreError> canonical_bundle_id(std::string_view bundle_id);

// Sequences in byte order of their keys, global keys in case-insensitive order
// of their descriptions; both stable.
void sort_bindings(Settings& settings);

}  // namespace tavelin::rules
