#pragma once

#include <optional>
#include <vector>

#include "platform/Accessibility.hpp"

namespace tavelin::app {

// One display, in bottom-left coordinates (origin at the primary display's
// bottom-left corner, y growing upwards).
struct Screen {
  Rect frame;
  Rect visibleFrame;  // less the menu bar, docks and panels
  bool operator==(const Screen&) const = default;
};

class Screens {
 public:
  virtual ~Screens() = default;
  // Primary first; the order is the order "next display" walks.
  virtual std::vector<Screen> screens() const = 0;
  virtual std::optional<Screen> mainScreen() const = 0;
};

}  // namespace tavelin::app
