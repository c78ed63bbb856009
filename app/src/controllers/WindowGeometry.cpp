#include "controllers/WindowGeometry.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <span>

namespace tavelin::app {

namespace {

double minX(const Rect& r) { return r.origin.x; }
double minY(const Rect& r) { return r.origin.y; }
double maxX(const Rect& r) { return r.origin.x + r.size.width; }
double maxY(const Rect& r) { return r.origin.y + r.size.height; }
double width(const Rect& r) { return r.size.width; }
double height(const Rect& r) { return r.size.height; }

Rect rect(double x, double y, double w, double h) { return Rect{{x, y}, {w, h}}; }

// Written as "not greater than zero" so that NaN counts as empty too.
bool isEmpty(const Rect& r) { return !(width(r) > 0) || !(height(r) > 0); }

double overlapArea(const Rect& a, const Rect& b) {
  const double w = std::min(maxX(a), maxX(b)) - std::max(minX(a), minX(b));
  const double h = std::min(maxY(a), maxY(b)) - std::max(minY(a), minY(b));
  return w > 0 && h > 0 ? w * h : 0;
}

std::span<const Fraction> fractionsOf(Direction direction) {
  static constexpr std::array<Fraction, 4> left{{{1, 2}, {2, 3}, {1, 3}, {1, 1}}};
  static constexpr std::array<Fraction, 4> right{{{1, 2}, {1, 3}, {2, 3}, {1, 1}}};
  static constexpr std::array<Fraction, 2> vertical{{{1, 2}, {1, 1}}};
  static constexpr std::array<Fraction, 3> center{{{2, 3}, {1, 2}, {1, 3}}};
  switch (direction) {
    case Direction::left: return left;
    case Direction::right: return right;
    case Direction::top:
    case Direction::bottom: return vertical;
    case Direction::center: return center;
  }
  return center;
}

// A window of width `w` at `x` keeps its height, cut down to the visible
// height, and its bottom edge, moved only as far as needed to stay inside.
Rect keepingHeight(double x, double w, const Rect& frame, const Rect& visible) {
  const double h = std::min(height(visible), height(frame));
  const double y = std::min(std::max(minY(visible), maxY(visible) - h), std::max(minY(frame), minY(visible)));
  return rect(x, y, w, h);
}

Rect keepingWidth(double y, double h, const Rect& frame, const Rect& visible) {
  const double w = std::min(width(visible), width(frame));
  const double x = std::min(std::max(minX(visible), maxX(visible) - w), std::max(minX(frame), minX(visible)));
  return rect(x, y, w, h);
}

// `length` on a source extent of `from` measured on one of `to`. Multiplying
// before dividing keeps whole results whole. A source extent that is empty
// has no proportions to keep, so the length is kept as it is.
double rescaled(double length, double from, double to) { return from > 0 ? length * to / from : length; }

}  // namespace

Rect flip(const Rect& r, const std::vector<Screen>& screens) {
  const double top = screens.empty() ? 0 : maxY(screens.front().frame);
  return rect(minX(r), top - maxY(r), width(r), height(r));
}

std::optional<std::size_t> screenIndexFor(const Rect& frame, const std::vector<Screen>& screens) {
  if (screens.empty()) return std::nullopt;
  std::size_t best = 0;
  double bestArea = overlapArea(frame, screens.front().frame);
  for (std::size_t i = 1; i < screens.size(); ++i) {
    const double area = overlapArea(frame, screens[i].frame);
    if (area > bestArea) {
      best = i;
      bestArea = area;
    }
  }
  return best;
}

std::optional<Rect> usableArea(const Screen& screen) {
  if (!isEmpty(screen.visibleFrame)) return screen.visibleFrame;
  if (!isEmpty(screen.frame)) return screen.frame;
  return std::nullopt;
}

Fraction WindowGeometry::fraction(Direction direction) {
  if (lastDirection_ != direction) {
    step_[direction] = 0;
    lastDirection_ = direction;
  }
  const auto list = fractionsOf(direction);
  const std::size_t s = step_[direction];
  step_[direction] = (s + 1) % list.size();
  return list[std::min(list.size() - 1, s)];
}

Rect WindowGeometry::half(Direction direction, const Rect& frame, const Rect& visible) {
  switch (direction) {
    case Direction::left:
    case Direction::right: {
      const double w = std::floor(fraction(direction).of(width(visible)));
      const double x = direction == Direction::left ? minX(visible) : std::floor(maxX(visible) - w);
      return keepingHeight(x, w, frame, visible);
    }
    case Direction::top:
    case Direction::bottom: {
      const double h = std::floor(fraction(direction).of(height(visible)));
      const double y = direction == Direction::top ? std::floor(maxY(visible) - h) : minY(visible);
      return keepingWidth(y, h, frame, visible);
    }
    case Direction::center: break;
  }
  return centered(frame, visible);
}

Rect WindowGeometry::centered(const Rect& frame, const Rect& visible) {
  const double w = std::floor(fraction(Direction::center).of(width(visible)));
  const double x = std::floor(minX(visible) + (width(visible) - w) * 0.5);
  return keepingHeight(x, w, frame, visible);
}

Rect WindowGeometry::maximizeToggled(const Rect& frame, const Rect& visible) {
  lastDirection_.reset();
  const bool maximized = width(frame) > 0.9 * width(visible) && height(frame) > 0.9 * height(visible);
  if (!maximized) return visible;
  // Nothing of the window before maximizing is remembered, so it comes back
  // as half the width and at most 90 % of the height, centred.
  const double w = std::floor(width(visible) * 0.5);
  const double h = std::min(height(visible) * 0.9, height(frame));
  const double x = std::floor(minX(visible) + (width(visible) - w) * 0.5);
  const double y = std::floor(minY(visible) + (height(visible) - h) * 0.5);
  return rect(x, y, w, h);
}

std::optional<Rect> WindowGeometry::nextDisplay(const Rect& frame, const Screen& screen,
                                                const std::vector<Screen>& screens) {
  const auto here = std::find(screens.begin(), screens.end(), screen);
  if (screens.size() < 2 || here == screens.end()) return std::nullopt;
  const auto next = std::next(here) == screens.end() ? screens.begin() : std::next(here);
  const Rect s = usableArea(screen).value_or(screen.visibleFrame);
  const Rect t = usableArea(*next).value_or(next->visibleFrame);

  const double x0 = minX(t) + rescaled(minX(frame) - minX(s), width(s), width(t));
  const double y0 = minY(t) + rescaled(minY(frame) - minY(s), height(s), height(t));
  const double w = std::max(std::floor(rescaled(width(frame), width(s), width(t))), 120.0);
  const double h = std::max(std::floor(rescaled(height(frame), height(s), height(t))), 80.0);
  const double x = std::min(std::max(minX(t), maxX(t) - w), std::max(minX(t), std::floor(x0)));
  const double y = std::min(std::max(minY(t), maxY(t) - h), std::max(minY(t), std::floor(y0)));
  lastDirection_.reset();
  return rect(x, y, w, h);
}

std::optional<Rect> WindowGeometry::apply(WindowAction action, const Rect& frame, const Screen& screen,
                                          const std::vector<Screen>& screens) {
  const Rect visible = usableArea(screen).value_or(screen.visibleFrame);
  switch (action) {
    case WindowAction::MoveLeft: return half(Direction::left, frame, visible);
    case WindowAction::MoveRight: return half(Direction::right, frame, visible);
    case WindowAction::MoveTop: return half(Direction::top, frame, visible);
    case WindowAction::MoveBottom: return half(Direction::bottom, frame, visible);
    case WindowAction::CenterHorizontally: return centered(frame, visible);
    case WindowAction::ToggleMaximize: return maximizeToggled(frame, visible);
    case WindowAction::MoveToNextDisplay: return nextDisplay(frame, screen, screens);
  }
  return std::nullopt;
}

}  // namespace tavelin::app
