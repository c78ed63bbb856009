#pragma once

// The arithmetic of window moves, on rectangles in bottom-left coordinates
// (y grows upwards, so a rectangle's minimum y is its bottom edge), with the
// small piece of state that makes repeated presses cycle through sizes.

#include <cstddef>
#include <map>
#include <optional>
#include <vector>

#include <tavelin/config.hpp>

#include "platform/Accessibility.hpp"
#include "platform/Screens.hpp"

namespace tavelin::app {

// The key of the size cycle.
enum class Direction { left, right, top, bottom, center };

// A share of a length, kept as a ratio of whole numbers so that 2/3 of 1440
// is exactly 960 and the floor taken afterwards does not lose a point.
struct Fraction {
  int numerator = 1;
  int denominator = 1;
  double of(double length) const { return length * numerator / denominator; }
  bool operator==(const Fraction&) const = default;
};

// Converts between bottom-left and top-left coordinates (its own inverse),
// mirrored about the top of the first screen's frame, or 0 with no screens.
Rect flip(const Rect& rect, const std::vector<Screen>& screens);

// The screen whose frame overlaps `frame` most; a later screen wins only
// with a strictly larger overlap, so the first wins ties and no overlap at
// all. None only when there are no screens.
std::optional<std::size_t> screenIndexFor(const Rect& frame, const std::vector<Screen>& screens);

// The area windows are laid out in: the visible frame, or the whole frame
// when the visible one is empty (docks covering all of it, or a bad
// reading), since laying a window out in nothing would give it no size.
// None when both are empty.
std::optional<Rect> usableArea(const Screen& screen);

class WindowGeometry {
 public:
  // The fraction this press uses, advancing the cycle of `direction`; a
  // press in a new direction starts that direction's cycle over.
  Fraction fraction(Direction direction);

  // Against the left or right edge at the cycled width (or the top or bottom
  // edge at the cycled height), keeping the other extent and moving it only
  // as far as needed to stay inside `visible`. `center` is `centered`.
  Rect half(Direction direction, const Rect& frame, const Rect& visible);
  Rect centered(const Rect& frame, const Rect& visible);
  // The visible frame, or, for a window that already nearly fills it, half
  // its width and at most 90 % of its height, centred. Ends the cycle.
  Rect maximizeToggled(const Rect& frame, const Rect& visible);
  // The same relative place and size on the screen after `screen` in
  // `screens`, at least 120 by 80 and inside its visible frame. None when
  // there is no other screen or `screen` is not among them. Ends the cycle.
  std::optional<Rect> nextDisplay(const Rect& frame, const Screen& screen, const std::vector<Screen>& screens);

  // `frame` after `action`, for a window on `screen`; none only when a move
  // to the next display has nowhere to go.
  std::optional<Rect> apply(WindowAction action, const Rect& frame, const Screen& screen,
                            const std::vector<Screen>& screens);

  std::optional<Direction> lastDirection() const { return lastDirection_; }

 private:
  std::map<Direction, std::size_t> step_;
  std::optional<Direction> lastDirection_;
};

}  // namespace tavelin::app
