#include "platform/linux/x11/RandrMonitors.hpp"

#include <xcb/randr.h>

#include <cstdlib>

namespace tavelin::app {

std::vector<Monitor> randrMonitors(xcb_connection_t* connection, xcb_window_t root, PixelRect rootArea) {
  std::vector<Monitor> monitors;
  // Asking an extension the server lacks would break the connection.
  const xcb_query_extension_reply_t* randr = xcb_get_extension_data(connection, &xcb_randr_id);
  if (randr != nullptr && randr->present != 0) {
    xcb_generic_error_t* error = nullptr;
    xcb_randr_get_monitors_reply_t* reply =
        xcb_randr_get_monitors_reply(connection, xcb_randr_get_monitors(connection, root, 1), &error);
    std::free(error);
    if (reply != nullptr) {
      for (auto it = xcb_randr_get_monitors_monitors_iterator(reply); it.rem > 0; xcb_randr_monitor_info_next(&it)) {
        const xcb_randr_monitor_info_t& info = *it.data;
        if (info.width == 0 || info.height == 0) continue;
        monitors.push_back({{info.x, info.y, info.width, info.height}, info.primary != 0});
      }
      std::free(reply);
    }
  }
  if (monitors.empty() && rootArea.width > 0 && rootArea.height > 0) monitors.push_back({rootArea, true});
  return primaryFirst(std::move(monitors));
}

}  // namespace tavelin::app
