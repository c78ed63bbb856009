#include "store_rules.hpp"

#include <algorithm>
#include <utility>

#include <tavelin/action.hpp>
#include <tavelin/keys.hpp>
#include <tavelin/resolver.hpp>
#include <tavelin/terminal.hpp>

#include "text.hpp"

namespace tavelin::rules {
namespace {

std::unexpected<CoreError> refuse(CoreError::Kind kind, std::string message) {
  return std::unexpected(CoreError{kind, std::move(message)});
}

std::string trimmed(std::string_view s) { return std::string(text::trim(s)); }

std::expected<void, CoreError> check_payload(const KeyAction& action) {
  if (action_is_runnable(action)) return {};
  return refuse(CoreError::Kind::Invalid, "The " + action_kind(action) + " action has nothing to run.");
}

std::expected<void, CoreError> check_characters(std::string_view keys) {
  for (std::size_t pos = 0; pos < keys.size();) {
    const std::size_t start = pos;
    const bool decoded = text::decode(keys, pos).has_value();
    const std::string_view character = keys.substr(start, pos - start);
    if (!decoded || !accepts_key(character)) {
      // A byte that is not UTF-8 cannot be shown as itself.
      const std::string shown = decoded ? std::string(character) : std::string("\uFFFD");
      return refuse(CoreError::Kind::Invalid, "'" + shown + "' cannot be typed into a sequence.");
    }
  }
  return {};
}

}  // namespace

std::expected<void, CoreError> check_sequence(KeySequence& sequence, const std::vector<KeySequence>& existing) {
  sequence.keys = trimmed(sequence.keys);
  sequence.description = trimmed(sequence.description);
  if (sequence.keys.empty()) return refuse(CoreError::Kind::Invalid, "A sequence needs at least one key.");
  if (sequence.description.empty()) return refuse(CoreError::Kind::Invalid, "A sequence needs a description.");
  if (auto ok = check_payload(sequence.action); !ok) return ok;
  if (auto ok = check_characters(sequence.keys); !ok) return ok;

  const std::string& keys = sequence.keys;
  for (const KeySequence& other : existing) {
    if (other.id == sequence.id) continue;
    if (other.keys == keys) {
      return refuse(CoreError::Kind::Duplicate, "'" + keys + "' is already " + other.description + ".");
    }
    if (other.keys.starts_with(keys)) {
      return refuse(CoreError::Kind::Duplicate, "'" + keys + "' would fire before '" + other.keys + "' (" +
                                                    other.description + ") could be typed.");
    }
    if (keys.starts_with(other.keys)) {
      return refuse(CoreError::Kind::Duplicate, "'" + other.keys + "' (" + other.description +
                                                    ") would fire before '" + keys + "' could be typed.");
    }
  }
  return {};
}

std::expected<void, CoreError> check_global_key(GlobalKey& key, const std::vector<GlobalKey>& existing,
                                                const Hotkey& activation) {
  key.description = trimmed(key.description);
  if (auto ok = check_hotkey(key.key_code, key.modifiers); !ok) return ok;
  if (key.description.empty()) return refuse(CoreError::Kind::Invalid, "A global key needs a description.");
  if (auto ok = check_payload(key.action); !ok) return ok;

  const std::string chord = hotkey_display(key.key_code, key.modifiers);
  for (const GlobalKey& other : existing) {
    if (other.id == key.id) continue;
    if (other.key_code == key.key_code && other.modifiers == key.modifiers) {
      return refuse(CoreError::Kind::Duplicate, chord + " is already " + other.description + ".");
    }
  }
  if (activation.key_code == key.key_code && activation.modifiers == key.modifiers) {
    return refuse(CoreError::Kind::Duplicate, chord + " opens the Tavelin window.");
  }
  return {};
}

std::expected<std::string, CoreError> canonical_bundle_id(std::string_view bundle_id) {
  const std::string id = trimmed(bundle_id);
  if (id.empty()) {
    return refuse(CoreError::Kind::Invalid, "A terminal is found by its bundle id, and this one is empty.");
  }
  if (text::contains_white_space(id)) {
    return refuse(CoreError::Kind::Invalid, "\"" + id + "\" is not a bundle id — they never contain spaces.");
  }
  if (auto option = recognised_terminal(id)) return option->bundle_id;
  return id;
}

void sort_bindings(Settings& settings) {
  std::ranges::stable_sort(settings.sequences, {}, &KeySequence::keys);

  // Lower-case each description once rather than on every comparison.
  std::vector<std::pair<std::string, GlobalKey>> keyed;
  keyed.reserve(settings.global_keys.size());
  for (GlobalKey& key : settings.global_keys) keyed.emplace_back(text::lowercase(key.description), std::move(key));
  std::ranges::stable_sort(keyed, {}, &std::pair<std::string, GlobalKey>::first);
  settings.global_keys.clear();
  for (auto& entry : keyed) settings.global_keys.push_back(std::move(entry.second));
}

}  // namespace tavelin::rules
