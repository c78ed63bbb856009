#include "platform/linux/x11/X11Accessibility.hpp"

#include <algorithm>

#include "platform/linux/x11/RandrMonitors.hpp"

namespace tavelin::app {
namespace {

struct ApplicationElement final : AccessibilityElement {
  explicit ApplicationElement(int p) : pid(p) {}
  int pid;
};

struct WindowElement final : AccessibilityElement {
  explicit WindowElement(xcb_window_t w) : window(w) {}
  xcb_window_t window;
};

std::optional<int> pidOf(const ElementRef& element) {
  const auto* application = dynamic_cast<const ApplicationElement*>(element.get());
  if (application == nullptr) return std::nullopt;
  return application->pid;
}

}  // namespace

X11Accessibility::X11Accessibility(xcb_connection_t* connection, int screenNumber)
    : windows_(std::make_unique<ClientWindows>(connection, screenNumber)) {}

std::optional<xcb_window_t> X11Accessibility::windowOf(const ElementRef& element) {
  const auto* window = dynamic_cast<const WindowElement*>(element.get());
  if (window == nullptr) return std::nullopt;
  return window->window;
}

ElementRef X11Accessibility::windowElement(xcb_window_t window) const {
  return std::make_shared<WindowElement>(window);
}

bool X11Accessibility::isProcessTrusted(bool) { return windows_->ewmh().connected(); }

ElementRef X11Accessibility::applicationElement(int processIdentifier) {
  if (processIdentifier <= 0) return nullptr;
  return std::make_shared<ApplicationElement>(processIdentifier);
}

ElementRef X11Accessibility::focusedWindow(const ElementRef& application) {
  const auto pid = pidOf(application);
  const auto active = pid ? windows_->ewmh().activeWindow() : std::nullopt;
  if (!active || windows_->pidOf(*active) != pid) return nullptr;
  return windowElement(*active);
}

ElementRef X11Accessibility::mainWindow(const ElementRef& application) {
  const auto pid = pidOf(application);
  if (!pid) return nullptr;
  const std::vector<xcb_window_t> own = windows_->windowsOf(*pid);
  if (own.empty()) return nullptr;
  return windowElement(own.front());
}

std::vector<ElementRef> X11Accessibility::windows(const ElementRef& application) {
  const auto pid = pidOf(application);
  if (!pid) return {};
  std::vector<ElementRef> elements;
  for (const xcb_window_t window : windows_->windowsOf(*pid)) elements.push_back(windowElement(window));
  return elements;
}

std::optional<std::string> X11Accessibility::role(const ElementRef& element) {
  if (windowOf(element)) return "AXWindow";
  if (pidOf(element)) return "AXApplication";
  return std::nullopt;
}

std::optional<std::string> X11Accessibility::subrole(const ElementRef& element) {
  const auto window = windowOf(element);
  if (!window) return std::nullopt;
  EwmhConnection& ewmh = windows_->ewmh();
  const auto types = ewmh.windowTypes(*window);
  if (!types) return std::nullopt;
  // A managed window that names no type is a normal one, or a dialog when it
  // is transient for another.
  if (types->empty()) return ewmh.isTransient(*window) ? "AXDialog" : "AXStandardWindow";
  const xcb_ewmh_connection_t& a = ewmh.atoms();
  // The first type we know wins: the list is in order of preference.
  for (const xcb_atom_t type : *types) {
    if (type == a._NET_WM_WINDOW_TYPE_NORMAL) return "AXStandardWindow";
    if (type == a._NET_WM_WINDOW_TYPE_DIALOG) return "AXDialog";
    if (type == a._NET_WM_WINDOW_TYPE_UTILITY || type == a._NET_WM_WINDOW_TYPE_TOOLBAR ||
        type == a._NET_WM_WINDOW_TYPE_MENU) {
      return "AXFloatingWindow";
    }
    for (const xcb_atom_t other :
         {a._NET_WM_WINDOW_TYPE_DESKTOP, a._NET_WM_WINDOW_TYPE_DOCK, a._NET_WM_WINDOW_TYPE_SPLASH,
          a._NET_WM_WINDOW_TYPE_DROPDOWN_MENU, a._NET_WM_WINDOW_TYPE_POPUP_MENU, a._NET_WM_WINDOW_TYPE_TOOLTIP,
          a._NET_WM_WINDOW_TYPE_NOTIFICATION, a._NET_WM_WINDOW_TYPE_COMBO, a._NET_WM_WINDOW_TYPE_DND}) {
      if (type == other) return "AXUnknown";
    }
  }
  return "AXUnknown";
}

PixelRect X11Accessibility::primaryArea() {
  EwmhConnection& ewmh = windows_->ewmh();
  const std::vector<Monitor> monitors = randrMonitors(ewmh.connection(), ewmh.root(), ewmh.rootArea());
  return monitors.empty() ? ewmh.rootArea() : monitors.front().frame;
}

std::optional<PixelRect> X11Accessibility::frame(const ElementRef& window) {
  const auto id = windowOf(window);
  if (!id) return std::nullopt;
  return windows_->ewmh().frame(*id);
}

std::optional<Point> X11Accessibility::position(const ElementRef& window) {
  const auto rect = frame(window);
  if (!rect) return std::nullopt;
  return toPrimaryTopLeft({rect->x, rect->y}, primaryArea());
}

std::optional<Size> X11Accessibility::size(const ElementRef& window) {
  const auto rect = frame(window);
  if (!rect) return std::nullopt;
  return Size{static_cast<double>(rect->width), static_cast<double>(rect->height)};
}

void X11Accessibility::leaveMaximized(xcb_window_t window) {
  EwmhConnection& ewmh = windows_->ewmh();
  const xcb_ewmh_connection_t& a = ewmh.atoms();
  const std::vector<xcb_atom_t> states = ewmh.states(window);
  if (std::ranges::any_of(states, [&](xcb_atom_t state) {
        return state == a._NET_WM_STATE_MAXIMIZED_VERT || state == a._NET_WM_STATE_MAXIMIZED_HORZ;
      })) {
    ewmh.requestUnmaximize(window);
  }
}

void X11Accessibility::setPosition(const ElementRef& window, Point position) {
  const auto id = windowOf(window);
  if (!id) return;
  EwmhConnection& ewmh = windows_->ewmh();
  leaveMaximized(*id);
  // With north-west gravity the window manager reads x, y as the outer
  // corner of the frame, which is what a position here names.
  const PixelPoint corner = fromPrimaryTopLeft(position, primaryArea());
  ewmh.requestMoveResize(
      *id,
      static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y),
      {corner.x, corner.y, 1, 1});
  ewmh.sync();
}

void X11Accessibility::setSize(const ElementRef& window, Size size) {
  const auto id = windowOf(window);
  if (!id) return;
  EwmhConnection& ewmh = windows_->ewmh();
  leaveMaximized(*id);
  // The request sizes the client; the frame is that much larger.
  const xcb_ewmh_get_extents_reply_t e = ewmh.frameExtents(*id);
  const int width = wholePixels(size.width) - static_cast<int>(std::min<std::uint32_t>(e.left + e.right, 0xffff));
  const int height = wholePixels(size.height) - static_cast<int>(std::min<std::uint32_t>(e.top + e.bottom, 0xffff));
  ewmh.requestMoveResize(*id,
                         static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(XCB_EWMH_MOVERESIZE_WINDOW_WIDTH |
                                                                             XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT),
                         {0, 0, std::max(width, 1), std::max(height, 1)});
  ewmh.sync();
}

void X11Accessibility::raise(const ElementRef& window) {
  const auto id = windowOf(window);
  if (!id) return;
  windows_->ewmh().requestRaise(*id);
  windows_->ewmh().sync();
}

}  // namespace tavelin::app
