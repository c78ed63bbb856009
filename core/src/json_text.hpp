#pragma once

// JSON text pieces shared by the configuration writer and the reader's
// messages.

#include <string>
#include <string_view>

namespace tavelin::json {

// Appends `s` as a JSON string literal: `"`, `\` and control characters are
// escaped, everything else is copied as UTF-8. A byte that is not part of a
// valid UTF-8 character becomes U+FFFD, so the result always reads back.
void append_string(std::string& out, std::string_view s);

// Appends `value` in the shortest form that reads back to the same double,
// always with a fraction or an exponent ("600.0", "612.5", "1e+300").
// JSON has no infinities or NaN: those are written as the nearest finite
// value (±1.7976931348623157e+308) and as 0.0, so the file stays readable.
void append_double(std::string& out, double value);

}  // namespace tavelin::json
