#pragma once

#include <iosfwd>
#include <string>

namespace tavelin {

// The core library's one error. Shown to a person, an error is its message and
// nothing else; callers never reword it.
struct CoreError {
  enum class Kind { Io, Parse, Duplicate, NotFound, Invalid };

  Kind kind;
  std::string message;

  bool operator==(const CoreError&) const = default;
};

// Shown as text, an error is its message alone.
std::ostream& operator<<(std::ostream& out, const CoreError& error);

}  // namespace tavelin
