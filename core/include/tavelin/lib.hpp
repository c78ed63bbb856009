#pragma once

#include <string>

namespace tavelin {

// The core library's own version, so the application can show what is built in.
std::string core_version();

// A fresh random version-4 UUID in lower-case hyphenated form, drawn from the
// system's random source.
std::string new_identifier();

}  // namespace tavelin
