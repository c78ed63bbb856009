#include "platform/linux/qt/XcbWindowRequests.hpp"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace tavelin::app {
namespace {

xcb_connection_t* connection() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, std::string_view name) {
  const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data());
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
  const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return value;
}

xcb_window_t rootOf(xcb_connection_t* c, xcb_window_t window) {
  xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  const xcb_window_t root = reply ? reply->root : xcb_window_t{XCB_WINDOW_NONE};
  std::free(reply);
  return root;
}

}  // namespace

bool XcbWindowRequests::activate(std::uint32_t window) {
  xcb_connection_t* c = connection();
  if (!c || window == XCB_WINDOW_NONE) return false;
  const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
  const xcb_window_t root = rootOf(c, window);
  if (active == XCB_ATOM_NONE || root == XCB_WINDOW_NONE) return false;

  xcb_client_message_event_t message;
  std::memset(&message, 0, sizeof message);
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = active;
  message.data.data32[0] = 2;  // source: a pager, that is the user
  message.data.data32[1] = XCB_CURRENT_TIME;
  message.data.data32[2] = XCB_WINDOW_NONE;
  xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(c);
  return true;
}

}  // namespace tavelin::app
