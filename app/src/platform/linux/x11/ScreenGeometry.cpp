#include "platform/linux/x11/ScreenGeometry.hpp"

#include <algorithm>
#include <cmath>

namespace tavelin::app {
namespace {

long long area(const PixelRect& r) { return static_cast<long long>(r.width) * r.height; }

// Whether the inclusive span [start, end] meets [from, from + length).
bool spans(std::uint32_t start, std::uint32_t end, long long from, long long length) {
  return start <= end && static_cast<long long>(start) < from + length && static_cast<long long>(end) >= from;
}

}  // namespace

Strut fullEdgeStrut(std::uint32_t left, std::uint32_t right, std::uint32_t top, std::uint32_t bottom, int rootWidth,
                    int rootHeight) {
  const auto lastX = static_cast<std::uint32_t>(std::max(rootWidth - 1, 0));
  const auto lastY = static_cast<std::uint32_t>(std::max(rootHeight - 1, 0));
  return Strut{left, right, top, bottom, 0, lastY, 0, lastY, 0, lastX, 0, lastX};
}

std::vector<Monitor> primaryFirst(std::vector<Monitor> monitors) {
  const auto primary = std::ranges::find_if(monitors, &Monitor::primary);
  if (primary != monitors.end()) std::rotate(monitors.begin(), primary, primary + 1);
  return monitors;
}

std::optional<PixelRect> intersection(const PixelRect& a, const PixelRect& b) {
  const long long left = std::max<long long>(a.x, b.x);
  const long long top = std::max<long long>(a.y, b.y);
  const long long right =
      std::min<long long>(static_cast<long long>(a.x) + a.width, static_cast<long long>(b.x) + b.width);
  const long long bottom =
      std::min<long long>(static_cast<long long>(a.y) + a.height, static_cast<long long>(b.y) + b.height);
  if (right <= left || bottom <= top) return std::nullopt;
  return PixelRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                   static_cast<int>(bottom - top)};
}

PixelRect visibleArea(const PixelRect& monitor, const std::vector<Strut>& struts, int rootWidth, int rootHeight) {
  const long long x = monitor.x, y = monitor.y, width = monitor.width, height = monitor.height;
  long long minX = x, minY = y, maxX = x + width, maxY = y + height;
  // Struts are measured from the root window's edges, so a band only bites on
  // the monitors it reaches into.
  for (const Strut& s : struts) {
    const long long rightEdge = static_cast<long long>(rootWidth) - s.right;
    const long long bottomEdge = static_cast<long long>(rootHeight) - s.bottom;
    if (s.left > 0 && s.left > x && spans(s.leftStartY, s.leftEndY, y, height))
      minX = std::max<long long>(minX, s.left);
    if (s.right > 0 && rightEdge < x + width && spans(s.rightStartY, s.rightEndY, y, height))
      maxX = std::min(maxX, rightEdge);
    if (s.top > 0 && s.top > y && spans(s.topStartX, s.topEndX, x, width)) minY = std::max<long long>(minY, s.top);
    if (s.bottom > 0 && bottomEdge < y + height && spans(s.bottomStartX, s.bottomEndX, x, width))
      maxY = std::min(maxY, bottomEdge);
  }
  minX = std::min(minX, x + width);
  minY = std::min(minY, y + height);
  maxX = std::max(maxX, minX);
  maxY = std::max(maxY, minY);
  return PixelRect{static_cast<int>(minX), static_cast<int>(minY), static_cast<int>(maxX - minX),
                   static_cast<int>(maxY - minY)};
}

Rect toBottomLeft(const PixelRect& rect, const PixelRect& primary) {
  const double primaryMaxY = static_cast<double>(primary.y) + primary.height;
  return Rect{{static_cast<double>(rect.x) - primary.x, primaryMaxY - (static_cast<double>(rect.y) + rect.height)},
              {static_cast<double>(rect.width), static_cast<double>(rect.height)}};
}

Point toPrimaryTopLeft(PixelPoint point, const PixelRect& primary) {
  return Point{static_cast<double>(point.x) - primary.x, static_cast<double>(point.y) - primary.y};
}

PixelPoint fromPrimaryTopLeft(Point point, const PixelRect& primary) {
  return PixelPoint{wholePixels(point.x + primary.x), wholePixels(point.y + primary.y)};
}

int wholePixels(double value) {
  if (!std::isfinite(value)) return 0;
  // X carries positions in 16 bits and sizes in 16 unsigned bits.
  return static_cast<int>(std::lround(std::clamp(value, -32768.0, 65535.0)));
}

std::optional<std::size_t> mostOverlapped(const PixelRect& window, const std::vector<PixelRect>& areas) {
  std::optional<std::size_t> best;
  long long bestArea = 0;
  for (std::size_t i = 0; i < areas.size(); ++i) {
    const auto common = intersection(window, areas[i]);
    if (common && area(*common) > bestArea) {
      best = i;
      bestArea = area(*common);
    }
  }
  return best;
}

}  // namespace tavelin::app
