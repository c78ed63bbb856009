#pragma once

// How the configuration reader takes single JSON values: their type, how a
// message names them, and what numbers and strings are acceptable.

#include "json_stream.hpp"
#include "json_text.hpp"
#include "text.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace tavelin::json {

inline std::string quoted(std::string_view s) {
  std::string out;
  json::append_string(out, s);
  return out;
}

enum class Type { Null, Boolean, Number, String, Object, Array };

struct Value {
  Type type;
  std::string_view text;  // a string's contents, a number as written, "true" or "false"
  Position at;            // where the value starts
};

inline bool is_container(const Value& v) { return v.type == Type::Object || v.type == Type::Array; }

// How a value is named in a message; long text is cut short.
inline std::string shown(const Value& v) {
  constexpr std::size_t longest = 40;
  const auto excerpt = [&] {
    const auto head = text::first_characters(v.text, longest);
    return head.size() < v.text.size() ? std::string(head) + "…" : std::string(head);
  };
  switch (v.type) {
    case Type::Null: return "null";
    case Type::Boolean: return "boolean " + std::string(v.text);
    case Type::Number: return "number " + excerpt();
    case Type::String: return "string " + quoted(excerpt());
    case Type::Object: return "object";
    case Type::Array: return "array";
  }
  return "value";
}

inline std::optional<std::uint32_t> as_u32(std::string_view raw) {
  // Only an unsigned integer literal: no sign, fraction or exponent.
  if (raw.empty() || raw.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  std::uint32_t n = 0;
  const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), n);
  if (error != std::errc{} || end != raw.data() + raw.size()) return std::nullopt;
  return n;
}

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// For a number beyond what a double holds: whether it is too large, rather
// than too small, judged by the decimal exponent of its first significant
// digit. Such numbers are hundreds of orders of magnitude from 1.
inline bool is_too_large(std::string_view raw) {
  std::size_t i = !raw.empty() && raw.front() == '-' ? 1 : 0;
  long long magnitude = 0;
  bool significant = false;
  for (; i < raw.size() && is_digit(raw[i]); ++i) {
    if (significant) {
      ++magnitude;
    } else if (raw[i] != '0') {
      significant = true;
    }
  }
  if (i < raw.size() && raw[i] == '.') {
    ++i;
    for (long long place = 1; i < raw.size() && is_digit(raw[i]); ++i, ++place) {
      if (!significant && raw[i] != '0') {
        significant = true;
        magnitude = -place;
      }
    }
  }
  if (i < raw.size() && (raw[i] == 'e' || raw[i] == 'E')) {
    ++i;
    const bool negative = i < raw.size() && raw[i] == '-';
    if (i < raw.size() && (raw[i] == '-' || raw[i] == '+')) ++i;
    long long exponent = 0;
    for (; i < raw.size() && is_digit(raw[i]); ++i) {
      exponent = std::min(exponent * 10 + (raw[i] - '0'), 1'000'000'000LL);
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude > 0;
}

// Any JSON number, correctly rounded and independent of the C locale. A
// number too small for a double reads as zero, as its nearest double; one too
// large has no finite double and is refused.
inline std::optional<double> as_double(std::string_view raw) {
  double d = 0;
  const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), d);
  if (end != raw.data() + raw.size()) return std::nullopt;
  if (error == std::errc{}) return d;
  if (error == std::errc::result_out_of_range && !is_too_large(raw)) {
    return raw.front() == '-' ? -0.0 : 0.0;
  }
  return std::nullopt;
}

// An escape such as "\udc00" decodes to half a surrogate pair, which RapidJSON
// lets through as bytes that are not UTF-8; raw bytes are already validated.
inline bool has_lone_surrogate(std::string_view s) {
  return std::memchr(s.data(), '\xED', s.size()) != nullptr && !text::is_valid_utf8(s);
}

}  // namespace tavelin::json
