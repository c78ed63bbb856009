#pragma once

#include <cstdint>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <tavelin/config.hpp>

namespace tavelin {

// What one keystroke did.
struct Resolution {
  struct Ignored {
    bool operator==(const Ignored&) const = default;
  };
  struct Pending {
    std::uint32_t candidates;
    bool operator==(const Pending&) const = default;
  };
  struct Fire {
    KeySequence sequence;
    bool operator==(const Fire&) const = default;
  };
  struct NoMatch {
    std::string typed;
    bool operator==(const NoMatch&) const = default;
  };

  std::variant<Ignored, Pending, Fire, NoMatch> value;

  bool operator==(const Resolution&) const = default;
};

// True when `key` is exactly one character a sequence may contain: the space,
// a letter or number of any script, or ASCII punctuation. Touches no state,
// takes no lock and allocates nothing.
bool accepts_key(std::string_view key) noexcept;

// Turns keystrokes into outcomes against the current sequences. Every
// operation may be called from any thread.
class Resolver {
 public:
  Resolver() = default;

  Resolution press(std::string_view key);
  std::string typed() const;
  void backspace();
  void reset();
  std::vector<KeySequence> candidates() const;
  std::optional<std::string> remainder(const KeySequence& sequence) const;
  void set_sequences(std::vector<KeySequence> sequences);

 private:
  mutable std::shared_mutex lock_;
  std::vector<KeySequence> sequences_;
  std::string typed_;
};

}  // namespace tavelin
