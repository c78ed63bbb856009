#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavelin::app {

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0;
  double height = 0;
  bool operator==(const Size&) const = default;
};

struct Rect {
  Point origin;
  Size size;
  bool operator==(const Rect&) const = default;
};

// An opaque reference to an application or one of its windows, valid while
// that process lives.
class AccessibilityElement {
 public:
  virtual ~AccessibilityElement() = default;
};

using ElementRef = std::shared_ptr<AccessibilityElement>;

// The accessibility interface: reads that give nothing when the value is
// missing or of another type, and writes whose result is not looked at.
// Positions are in top-left coordinates.
class Accessibility {
 public:
  virtual ~Accessibility() = default;

  virtual bool isProcessTrusted(bool prompt) = 0;
  virtual ElementRef applicationElement(int processIdentifier) = 0;

  virtual ElementRef focusedWindow(const ElementRef& application) = 0;  // "AXFocusedWindow"
  virtual ElementRef mainWindow(const ElementRef& application) = 0;     // "AXMainWindow"
  virtual std::vector<ElementRef> windows(const ElementRef& application) = 0;  // "AXWindows"
  virtual std::optional<std::string> role(const ElementRef& element) = 0;      // "AXRole"
  virtual std::optional<std::string> subrole(const ElementRef& element) = 0;   // "AXSubrole"
  virtual std::optional<Point> position(const ElementRef& window) = 0;         // "AXPosition"
  virtual std::optional<Size> size(const ElementRef& window) = 0;              // "AXSize"

  virtual void setPosition(const ElementRef& window, Point position) = 0;
  virtual void setSize(const ElementRef& window, Size size) = 0;
  virtual void raise(const ElementRef& window) = 0;  // "AXRaise"
};

}  // namespace tavelin::app
