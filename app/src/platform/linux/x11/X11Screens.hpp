#pragma once

#include <xcb/xcb.h>

#include <memory>

#include "platform/Screens.hpp"
#include "platform/linux/x11/EwmhConnection.hpp"

namespace tavelin::app {

// Displays are RandR monitors, primary first, in bottom-left coordinates
// (origin at the primary's bottom-left corner, y up). A monitor's visible
// frame is what the docks' struts leave of it; when no dock reserves
// anything, the window manager's work area within it.
class X11Screens final : public Screens {
 public:
  // `connection` stays the caller's and must outlive this object.
  explicit X11Screens(xcb_connection_t* connection, int screenNumber = 0);

  std::vector<Screen> screens() const override;
  // The screen holding most of the active window, else the primary.
  std::optional<Screen> mainScreen() const override;

 private:
  struct Layout {
    std::vector<Monitor> monitors;  // root coordinates, primary first
    std::vector<Screen> screens;    // the same, converted
  };
  Layout layout() const;

  std::unique_ptr<EwmhConnection> ewmh_;
};

}  // namespace tavelin::app
