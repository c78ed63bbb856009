#include "platform/linux/x11/EwmhConnection.hpp"

#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tavelin::app {
namespace {

// Owns what xcb hands back with malloc.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// An error slot for a reply; the error, if any, is dropped with it.
class ErrorSlot {
 public:
  ~ErrorSlot() { std::free(error_); }
  xcb_generic_error_t** operator&() { return &error_; }

 private:
  xcb_generic_error_t* error_ = nullptr;
};

constexpr char kGtkApplicationId[] = "_GTK_APPLICATION_ID";

}  // namespace

EwmhConnection::EwmhConnection(xcb_connection_t* connection, int screenNumber)
    : connection_(connection), screenNumber_(screenNumber) {
  if (connection_ == nullptr || xcb_connection_has_error(connection_) != 0) return;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screenNumber_ && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return;
  root_ = screens.data->root;

  const auto gtkCookie = xcb_intern_atom(connection_, 0, sizeof kGtkApplicationId - 1, kGtkApplicationId);
  xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(connection_, &ewmh_);
  ready_ = cookies != nullptr && xcb_ewmh_init_atoms_replies(&ewmh_, cookies, nullptr) != 0;
  ErrorSlot error;
  if (Owned<xcb_intern_atom_reply_t> reply{xcb_intern_atom_reply(connection_, gtkCookie, &error)}) {
    gtkApplicationIdAtom_ = reply->atom;
  }
}

EwmhConnection::~EwmhConnection() {
  if (ready_) xcb_ewmh_connection_wipe(&ewmh_);
}

bool EwmhConnection::connected() const { return ready_ && xcb_connection_has_error(connection_) == 0; }

std::vector<xcb_window_t> EwmhConnection::clients() {
  if (!connected()) return {};
  xcb_ewmh_get_windows_reply_t list;
  ErrorSlot error;
  if (xcb_ewmh_get_client_list_reply(&ewmh_, xcb_ewmh_get_client_list(&ewmh_, screenNumber_), &list, &error) == 0) {
    return {};
  }
  std::vector<xcb_window_t> windows(list.windows, list.windows + list.windows_len);
  xcb_ewmh_get_windows_reply_wipe(&list);
  return windows;
}

std::vector<xcb_window_t> EwmhConnection::stacking() {
  if (!connected()) return {};
  xcb_ewmh_get_windows_reply_t list;
  ErrorSlot error;
  if (xcb_ewmh_get_client_list_stacking_reply(&ewmh_, xcb_ewmh_get_client_list_stacking(&ewmh_, screenNumber_), &list,
                                              &error) == 0) {
    return clients();
  }
  std::vector<xcb_window_t> windows(list.windows, list.windows + list.windows_len);
  xcb_ewmh_get_windows_reply_wipe(&list);
  return windows;
}

std::optional<xcb_window_t> EwmhConnection::activeWindow() {
  if (!connected()) return std::nullopt;
  xcb_window_t window = XCB_NONE;
  ErrorSlot error;
  if (xcb_ewmh_get_active_window_reply(&ewmh_, xcb_ewmh_get_active_window(&ewmh_, screenNumber_), &window, &error) ==
          0 ||
      window == XCB_NONE) {
    return std::nullopt;
  }
  return window;
}

std::vector<std::optional<int>> EwmhConnection::pids(const std::vector<xcb_window_t>& windows) {
  std::vector<std::optional<int>> result(windows.size());
  if (!connected()) return result;
  std::vector<xcb_get_property_cookie_t> cookies;
  cookies.reserve(windows.size());
  for (const xcb_window_t window : windows) cookies.push_back(xcb_ewmh_get_wm_pid(&ewmh_, window));
  for (std::size_t i = 0; i < cookies.size(); ++i) {
    std::uint32_t pid = 0;
    ErrorSlot error;
    if (xcb_ewmh_get_wm_pid_reply(&ewmh_, cookies[i], &pid, &error) != 0 && pid > 0 && pid <= 0x7fffffff) {
      result[i] = static_cast<int>(pid);
    }
  }
  return result;
}

EwmhConnection::WindowClass EwmhConnection::windowClass(xcb_window_t window) {
  if (!connected()) return {};
  xcb_icccm_get_wm_class_reply_t reply;
  ErrorSlot error;
  if (xcb_icccm_get_wm_class_reply(connection_, xcb_icccm_get_wm_class(connection_, window), &reply, &error) == 0) {
    return {};
  }
  WindowClass result;
  if (reply.instance_name != nullptr && *reply.instance_name != '\0') result.instance = reply.instance_name;
  if (reply.class_name != nullptr && *reply.class_name != '\0') result.className = reply.class_name;
  xcb_icccm_get_wm_class_reply_wipe(&reply);
  return result;
}

xcb_get_property_reply_t* EwmhConnection::property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type,
                                                   std::uint32_t longs) {
  ErrorSlot error;
  return xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, window, name, type, 0, longs), &error);
}

std::optional<std::string> EwmhConnection::gtkApplicationId(xcb_window_t window) {
  if (!connected() || gtkApplicationIdAtom_ == XCB_NONE) return std::nullopt;
  const Owned<xcb_get_property_reply_t> reply{property(window, gtkApplicationIdAtom_, ewmh_.UTF8_STRING, 256)};
  if (!reply || reply->format != 8) return std::nullopt;
  const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
  if (length == 0) return std::nullopt;
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
}

std::optional<std::vector<xcb_atom_t>> EwmhConnection::windowTypes(xcb_window_t window) {
  if (!connected()) return std::nullopt;
  const Owned<xcb_get_property_reply_t> reply{property(window, ewmh_._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 64)};
  if (!reply) return std::nullopt;
  std::vector<xcb_atom_t> types;
  if (reply->type == XCB_ATOM_ATOM && reply->format == 32) {
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    types.assign(atoms, atoms + xcb_get_property_value_length(reply.get()) / 4);
  }
  return types;
}

bool EwmhConnection::isTransient(xcb_window_t window) {
  if (!connected()) return false;
  xcb_window_t owner = XCB_NONE;
  ErrorSlot error;
  return xcb_icccm_get_wm_transient_for_reply(connection_, xcb_icccm_get_wm_transient_for(connection_, window), &owner,
                                              &error) != 0 &&
         owner != XCB_NONE;
}

std::vector<xcb_atom_t> EwmhConnection::states(xcb_window_t window) {
  if (!connected()) return {};
  xcb_ewmh_get_atoms_reply_t states;
  ErrorSlot error;
  if (xcb_ewmh_get_wm_state_reply(&ewmh_, xcb_ewmh_get_wm_state(&ewmh_, window), &states, &error) == 0) return {};
  std::vector<xcb_atom_t> result(states.atoms, states.atoms + states.atoms_len);
  xcb_ewmh_get_atoms_reply_wipe(&states);
  return result;
}

xcb_ewmh_get_extents_reply_t EwmhConnection::frameExtents(xcb_window_t window) {
  xcb_ewmh_get_extents_reply_t extents{};
  if (!connected()) return extents;
  ErrorSlot error;
  if (xcb_ewmh_get_frame_extents_reply(&ewmh_, xcb_ewmh_get_frame_extents(&ewmh_, window), &extents, &error) == 0) {
    return {};
  }
  return extents;
}

std::optional<PixelRect> EwmhConnection::clientArea(xcb_window_t window) {
  if (!connected()) return std::nullopt;
  // The geometry's position is relative to the window manager's frame, not to
  // the root: only the translation says where the client is.
  const auto geometryCookie = xcb_get_geometry(connection_, window);
  const auto originCookie = xcb_translate_coordinates(connection_, window, root_, 0, 0);
  ErrorSlot geometryError, originError;
  const Owned<xcb_get_geometry_reply_t> geometry{xcb_get_geometry_reply(connection_, geometryCookie, &geometryError)};
  const Owned<xcb_translate_coordinates_reply_t> origin{
      xcb_translate_coordinates_reply(connection_, originCookie, &originError)};
  if (!geometry || !origin) return std::nullopt;
  return PixelRect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

std::optional<PixelRect> EwmhConnection::frame(xcb_window_t window) {
  const std::optional<PixelRect> client = clientArea(window);
  if (!client) return std::nullopt;
  const xcb_ewmh_get_extents_reply_t e = frameExtents(window);
  const auto side = [](std::uint32_t v) { return static_cast<int>(std::min<std::uint32_t>(v, 0xffff)); };
  return PixelRect{client->x - side(e.left), client->y - side(e.top), client->width + side(e.left) + side(e.right),
                   client->height + side(e.top) + side(e.bottom)};
}

std::optional<Strut> EwmhConnection::strut(xcb_window_t window) {
  if (!connected()) return std::nullopt;
  const auto partialCookie = xcb_ewmh_get_wm_strut_partial(&ewmh_, window);
  const auto wholeCookie = xcb_ewmh_get_wm_strut(&ewmh_, window);
  xcb_ewmh_wm_strut_partial_t partial{};
  xcb_ewmh_get_extents_reply_t whole{};
  ErrorSlot partialError, wholeError;
  const bool hasPartial = xcb_ewmh_get_wm_strut_partial_reply(&ewmh_, partialCookie, &partial, &partialError) != 0;
  const bool hasWhole = xcb_ewmh_get_wm_strut_reply(&ewmh_, wholeCookie, &whole, &wholeError) != 0;
  if (hasPartial) {
    return Strut{partial.left,          partial.right,          partial.top,
                 partial.bottom,        partial.left_start_y,   partial.left_end_y,
                 partial.right_start_y, partial.right_end_y,    partial.top_start_x,
                 partial.top_end_x,     partial.bottom_start_x, partial.bottom_end_x};
  }
  if (!hasWhole) return std::nullopt;
  const PixelRect rootRect = rootArea();
  return fullEdgeStrut(whole.left, whole.right, whole.top, whole.bottom, rootRect.width, rootRect.height);
}

std::optional<PixelRect> EwmhConnection::workarea() {
  if (!connected()) return std::nullopt;
  const auto desktopCookie = xcb_ewmh_get_current_desktop(&ewmh_, screenNumber_);
  const auto areaCookie = xcb_ewmh_get_workarea(&ewmh_, screenNumber_);
  std::uint32_t desktop = 0;
  ErrorSlot desktopError, areaError;
  if (xcb_ewmh_get_current_desktop_reply(&ewmh_, desktopCookie, &desktop, &desktopError) == 0) desktop = 0;
  xcb_ewmh_get_workarea_reply_t areas;
  if (xcb_ewmh_get_workarea_reply(&ewmh_, areaCookie, &areas, &areaError) == 0) return std::nullopt;
  std::optional<PixelRect> result;
  if (desktop < areas.workarea_len) {
    const xcb_ewmh_geometry_t& g = areas.workarea[desktop];
    result =
        PixelRect{static_cast<int>(g.x), static_cast<int>(g.y), static_cast<int>(g.width), static_cast<int>(g.height)};
  }
  xcb_ewmh_get_workarea_reply_wipe(&areas);
  return result;
}

PixelRect EwmhConnection::rootArea() const {
  if (connection_ == nullptr || xcb_connection_has_error(connection_) != 0) return {};
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screenNumber_ && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return {};
  return PixelRect{0, 0, screens.data->width_in_pixels, screens.data->height_in_pixels};
}

void EwmhConnection::requestActivation(xcb_window_t window, xcb_timestamp_t time) {
  if (!connected()) return;
  const xcb_window_t current = activeWindow().value_or(XCB_NONE);
  xcb_ewmh_request_change_active_window(&ewmh_, screenNumber_, window, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, time,
                                        current);
}

void EwmhConnection::requestMoveResize(xcb_window_t window, xcb_ewmh_moveresize_window_opt_flags_t flags,
                                       PixelRect clientRect) {
  if (!connected()) return;
  // Negative positions travel as the 32-bit two's complement EWMH expects.
  xcb_ewmh_request_moveresize_window(&ewmh_, screenNumber_, window, XCB_GRAVITY_NORTH_WEST,
                                     XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, flags, static_cast<std::uint32_t>(clientRect.x),
                                     static_cast<std::uint32_t>(clientRect.y),
                                     static_cast<std::uint32_t>(std::max(clientRect.width, 1)),
                                     static_cast<std::uint32_t>(std::max(clientRect.height, 1)));
}

void EwmhConnection::requestRaise(xcb_window_t window) {
  if (!connected()) return;
  xcb_ewmh_request_restack_window(&ewmh_, screenNumber_, window, XCB_NONE, XCB_STACK_MODE_ABOVE);
}

void EwmhConnection::requestUnmaximize(xcb_window_t window) {
  if (!connected()) return;
  xcb_ewmh_request_change_wm_state(&ewmh_, screenNumber_, window, XCB_EWMH_WM_STATE_REMOVE,
                                   ewmh_._NET_WM_STATE_MAXIMIZED_VERT, ewmh_._NET_WM_STATE_MAXIMIZED_HORZ,
                                   XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
}

void EwmhConnection::sync() {
  if (connection_ == nullptr || xcb_connection_has_error(connection_) != 0) return;
  ErrorSlot error;
  std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), &error));
}

}  // namespace tavelin::app
