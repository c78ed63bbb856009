#pragma once

// UTF-8 and Unicode helpers shared by the core library and the application. Text handed to
// these functions is UTF-8; functions that walk it treat an invalid byte as
// one character of its own so that nothing can read past the end.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavelin::text {

// Decodes the character starting at `pos` and advances `pos` past it. Gives
// nothing (and advances one byte) for a malformed, overlong or surrogate
// encoding.
std::optional<char32_t> decode(std::string_view s, std::size_t& pos) noexcept;

bool is_valid_utf8(std::string_view s) noexcept;

// Byte offset where the last character of `s` starts (0 for empty text).
std::size_t last_character_start(std::string_view s) noexcept;

std::size_t character_count(std::string_view s) noexcept;

// The longest prefix of `s` holding at most `n` characters.
std::string_view first_characters(std::string_view s, std::size_t n) noexcept;

// Unicode White_Space.
bool is_white_space(char32_t c) noexcept;

// Trims Unicode white space from both ends.
std::string_view trim(std::string_view s) noexcept;

bool contains_white_space(std::string_view s) noexcept;

// The space, a letter or number of any script (Alphabetic, Nd, Nl, No), or
// printable ASCII punctuation.
bool is_sequence_character(char32_t c) noexcept;

// `s` with every byte sequence that is not UTF-8 replaced by U+FFFD.
std::string to_valid_utf8(std::string_view s);

// The Unicode default (locale-independent) full lower-case mapping.
std::string lowercase(std::string_view s);

}  // namespace tavelin::text
