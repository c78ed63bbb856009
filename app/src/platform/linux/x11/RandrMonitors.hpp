#pragma once

#include <xcb/xcb.h>

#include <vector>

#include "platform/linux/x11/ScreenGeometry.hpp"

namespace tavelin::app {

// The monitors RandR reports, primary first (the others in the server's
// order); the whole root window as one monitor when RandR has none to give.
std::vector<Monitor> randrMonitors(xcb_connection_t* connection, xcb_window_t root, PixelRect rootArea);

}  // namespace tavelin::app
