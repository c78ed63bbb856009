#pragma once

#include <xcb/xcb.h>

#include <memory>

#include "platform/Accessibility.hpp"
#include "platform/linux/x11/ClientWindows.hpp"

namespace tavelin::app {

// The accessibility interface over EWMH: an application is a process, its
// windows are the managed top-level windows naming its pid. Positions and
// sizes are the window's whole frame, decorations included, in top-left
// coordinates whose origin is the primary monitor's top-left corner (the
// root's own coordinates when the primary sits at the root's origin, as it
// usually does), matching the flip the screens' coordinates are made with.
class X11Accessibility final : public Accessibility {
 public:
  // `connection` stays the caller's and must outlive this object.
  explicit X11Accessibility(xcb_connection_t* connection, int screenNumber = 0);

  // Whether there is a live connection to an X server; nothing to prompt for.
  bool isProcessTrusted(bool prompt) override;
  ElementRef applicationElement(int processIdentifier) override;

  ElementRef focusedWindow(const ElementRef& application) override;         // the active window, if the process's
  ElementRef mainWindow(const ElementRef& application) override;            // its topmost window
  std::vector<ElementRef> windows(const ElementRef& application) override;  // topmost first
  std::optional<std::string> role(const ElementRef& element) override;
  std::optional<std::string> subrole(const ElementRef& element) override;
  std::optional<Point> position(const ElementRef& window) override;
  std::optional<Size> size(const ElementRef& window) override;

  // Asked of the window manager, as a pager asks; each waits until the
  // request is with the server.
  void setPosition(const ElementRef& window, Point position) override;
  void setSize(const ElementRef& window, Size size) override;
  void raise(const ElementRef& window) override;

  // The window an element stands for; none for an application element.
  static std::optional<xcb_window_t> windowOf(const ElementRef& element);

 private:
  ElementRef windowElement(xcb_window_t window) const;
  std::optional<PixelRect> frame(const ElementRef& window);
  PixelRect primaryArea();
  // A maximized window keeps its place; moving it means leaving that state.
  void leaveMaximized(xcb_window_t window);

  std::unique_ptr<ClientWindows> windows_;
};

}  // namespace tavelin::app
