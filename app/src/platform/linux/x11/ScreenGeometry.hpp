#pragma once

// The arithmetic between X's root coordinates (top-left origin, y down, whole
// pixels) and the platform interfaces' coordinates, kept apart from any X call
// so that it can be checked on its own.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Screens.hpp"

namespace tavelin::app {

// A rectangle in root coordinates.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
  int x = 0;
  int y = 0;
  bool operator==(const PixelPoint&) const = default;
};

struct Monitor {
  PixelRect frame;
  bool primary = false;
  bool operator==(const Monitor&) const = default;
};

// The space a window reserves at the edges of the root window, as
// _NET_WM_STRUT_PARTIAL gives it: a thickness per edge and the span along
// that edge (inclusive ends) it covers.
struct Strut {
  std::uint32_t left = 0, right = 0, top = 0, bottom = 0;
  std::uint32_t leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
  std::uint32_t topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;
};

// A strut from the older _NET_WM_STRUT, which covers each edge whole.
Strut fullEdgeStrut(std::uint32_t left, std::uint32_t right, std::uint32_t top, std::uint32_t bottom, int rootWidth,
                    int rootHeight);

// The primary monitor first, the others in the order given. When none says it
// is primary, the first one is.
std::vector<Monitor> primaryFirst(std::vector<Monitor> monitors);

// `monitor` less every strut that reaches into it, never less than nothing.
PixelRect visibleArea(const PixelRect& monitor, const std::vector<Strut>& struts, int rootWidth, int rootHeight);

std::optional<PixelRect> intersection(const PixelRect& a, const PixelRect& b);

// Root coordinates to bottom-left ones: the origin at the primary monitor's
// bottom-left corner, y growing upwards.
Rect toBottomLeft(const PixelRect& rect, const PixelRect& primary);

// Root coordinates to and from top-left ones with the origin at the primary
// monitor's top-left corner, which is where the bottom-left conversion puts
// its flip; they are the root coordinates when the primary sits at the root's
// origin.
Point toPrimaryTopLeft(PixelPoint point, const PixelRect& primary);
PixelPoint fromPrimaryTopLeft(Point point, const PixelRect& primary);

// The nearest whole number of pixels, with what is not a finite number as 0
// and the result kept within what X can carry.
int wholePixels(double value);

// The index of the rectangle `window` overlaps most; the first wins ties;
// none when it overlaps none.
std::optional<std::size_t> mostOverlapped(const PixelRect& window, const std::vector<PixelRect>& areas);

}  // namespace tavelin::app
