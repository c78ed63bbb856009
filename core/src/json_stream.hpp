#pragma once

// The input side of the configuration reader: a RapidJSON input stream over a
// string_view that knows the line and column of the next character, so every
// refusal can say where the problem is.

#include <cstddef>
#include <string_view>

namespace tavelin::json {

// Lines and columns are 1-based; a column counts characters, not bytes, and a
// line ends at "\n".
struct Position {
  std::size_t offset = 0;
  std::size_t line = 1;
  std::size_t column = 1;
};

// Moves `p` past the byte `c`, the byte at `p.offset`.
inline void step(Position& p, char c) noexcept {
  ++p.offset;
  if (c == '\n') {
    ++p.line;
    p.column = 1;
  } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
    ++p.column;  // a UTF-8 continuation byte belongs to the character before it
  }
}

// Moves `p` forward to `offset` (clamped to the end of `text`).
inline void advance(std::string_view text, Position& p, std::size_t offset) noexcept {
  while (p.offset < offset && p.offset < text.size()) step(p, text[p.offset]);
}

// The RapidJSON stream concept, read side. Not NUL-terminated: Peek() gives
// '\0' at the end, and Take() never moves past it.
class CountingStream {
 public:
  using Ch = char;

  explicit CountingStream(std::string_view text) noexcept : text_(text) {}

  Ch Peek() const noexcept { return at_end() ? '\0' : text_[here_.offset]; }

  Ch Take() noexcept {
    if (at_end()) return '\0';
    const char c = text_[here_.offset];
    step(here_, c);
    return c;
  }

  std::size_t Tell() const noexcept { return here_.offset; }

  // The write side exists only for in-situ parsing, which is never used.
  Ch* PutBegin() noexcept { return nullptr; }
  void Put(Ch) noexcept {}
  void Flush() noexcept {}
  std::size_t PutEnd(Ch*) noexcept { return 0; }

  bool at_end() const noexcept { return here_.offset >= text_.size(); }
  const Position& position() const noexcept { return here_; }
  std::string_view text() const noexcept { return text_; }

 private:
  std::string_view text_;
  Position here_;
};

}  // namespace tavelin::json
