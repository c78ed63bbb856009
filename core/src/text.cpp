#include <tavelin/text.hpp>

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace tavelin::text {

std::optional<char32_t> decode(std::string_view s, std::size_t& pos) noexcept {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, c = lead & 0x1Fu, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, c = lead & 0x0Fu, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, c = lead & 0x07u, minimum = 0x10000;
  } else {
    ++pos;
    return std::nullopt;
  }
  if (pos + length > s.size()) {
    ++pos;
    return std::nullopt;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return std::nullopt;
    }
    c = (c << 6) | (next & 0x3Fu);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++pos;
    return std::nullopt;
  }
  pos += length;
  return c;
}

bool is_valid_utf8(std::string_view s) noexcept {
  std::size_t pos = 0;
  while (pos < s.size()) {
    if (!decode(s, pos)) return false;
  }
  return true;
}

std::size_t last_character_start(std::string_view s) noexcept {
  if (s.empty()) return 0;
  // Step back over at most three continuation bytes, then check that the lead
  // byte really spans to the end; otherwise the last byte stands alone.
  std::size_t start = s.size() - 1;
  for (int i = 0; i < 3 && start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80; ++i) {
    --start;
  }
  std::size_t pos = start;
  if (decode(s, pos) && pos == s.size()) return start;
  return s.size() - 1;
}

std::size_t character_count(std::string_view s) noexcept {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < s.size(); ++count) decode(s, pos);
  return count;
}

std::string_view first_characters(std::string_view s, std::size_t n) noexcept {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < n && pos < s.size(); ++i) decode(s, pos);
  return s.substr(0, pos);
}

bool is_white_space(char32_t c) noexcept {
  return u_isUWhiteSpace(static_cast<UChar32>(c)) != 0;
}

std::string_view trim(std::string_view s) noexcept {
  std::size_t begin = 0;
  while (begin < s.size()) {
    std::size_t next = begin;
    const auto c = decode(s, next);
    if (!c || !is_white_space(*c)) break;
    begin = next;
  }
  std::size_t end = s.size();
  while (end > begin) {
    const std::size_t start = last_character_start(s.substr(0, end));
    std::size_t pos = start;
    const auto c = decode(s, pos);
    if (!c || !is_white_space(*c)) break;
    end = start;
  }
  return s.substr(begin, end - begin);
}

bool contains_white_space(std::string_view s) noexcept {
  for (std::size_t pos = 0; pos < s.size();) {
    const auto c = decode(s, pos);
    if (c && is_white_space(*c)) return true;
  }
  return false;
}

bool is_sequence_character(char32_t c) noexcept {
  if (c == U' ') return true;
  if (c < 0x80) {
    return (c >= 33 && c <= 126);  // letters, digits and ASCII punctuation
  }
  const auto cp = static_cast<UChar32>(c);
  if (u_hasBinaryProperty(cp, UCHAR_ALPHABETIC)) return true;
  const auto category = u_charType(cp);
  return category == U_DECIMAL_DIGIT_NUMBER || category == U_LETTER_NUMBER ||
         category == U_OTHER_NUMBER;
}

std::string to_valid_utf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t start = pos;
    if (decode(s, pos)) {
      out.append(s, start, pos - start);
    } else {
      out += "\uFFFD";
    }
  }
  return out;
}

std::string lowercase(std::string_view s) {
  auto u = icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
  u.toLower(icu::Locale::getRoot());
  std::string out;
  u.toUTF8String(out);
  return out;
}

}  // namespace tavelin::text
