#include <tavelin/resolver.hpp>

#include <algorithm>
#include <limits>
#include <mutex>

#include "text.hpp"

namespace tavelin {

bool accepts_key(std::string_view key) noexcept {
  if (key.empty()) return false;
  std::size_t pos = 0;
  const auto c = text::decode(key, pos);
  return c && pos == key.size() && text::is_sequence_character(*c);
}

Resolution Resolver::press(std::string_view key) {
  // Keys the window passes on must not wait behind a writer.
  if (!accepts_key(key)) return {Resolution::Ignored{}};

  std::unique_lock guard(lock_);
  typed_ += key;
  std::size_t reachable = 0;
  for (const auto& sequence : sequences_) {
    if (sequence.keys == typed_) {
      // The first complete match in stored order wins, even over longer
      // sequences it is a prefix of.
      typed_.clear();
      return {Resolution::Fire{sequence}};
    }
    if (sequence.keys.starts_with(typed_)) ++reachable;
  }
  if (reachable > 0) {
    const std::size_t limit = std::numeric_limits<std::uint32_t>::max();
    return {Resolution::Pending{static_cast<std::uint32_t>(std::min(reachable, limit))}};
  }
  return {Resolution::NoMatch{typed_}};
}

std::string Resolver::typed() const {
  std::shared_lock guard(lock_);
  return typed_;
}

void Resolver::backspace() {
  std::unique_lock guard(lock_);
  typed_.resize(text::last_character_start(typed_));
}

void Resolver::reset() {
  std::unique_lock guard(lock_);
  typed_.clear();
}

std::vector<KeySequence> Resolver::candidates() const {
  std::shared_lock guard(lock_);
  std::vector<KeySequence> reachable;
  // An empty buffer reaches everything, which is also when the list is longest.
  if (typed_.empty()) reachable.reserve(sequences_.size());
  for (const auto& sequence : sequences_) {
    if (sequence.keys.starts_with(typed_)) reachable.push_back(sequence);
  }
  return reachable;
}

std::optional<std::string> Resolver::remainder(const KeySequence& sequence) const {
  std::shared_lock guard(lock_);
  if (!sequence.keys.starts_with(typed_)) return std::nullopt;
  return sequence.keys.substr(typed_.size());
}

void Resolver::set_sequences(std::vector<KeySequence> sequences) {
  {
    std::unique_lock guard(lock_);
    sequences_.swap(sequences);
    // A half-typed prefix means nothing against a different set of bindings.
    typed_.clear();
  }
  // The old list is freed here, after readers and typists are let go.
}

}  // namespace tavelin
