#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/x11/ScreenGeometry.hpp"

namespace tavelin::app {

// EWMH on a connection someone else owns (Qt's, or a test's): the atoms, the
// root window, and the reads and requests the desktop layer makes. Every read
// collects its own error, so none lands in the owner's event queue, where Qt
// would report it; a window that is gone simply reads as nothing.
class EwmhConnection {
 public:
  EwmhConnection(xcb_connection_t* connection, int screenNumber);
  ~EwmhConnection();
  EwmhConnection(const EwmhConnection&) = delete;
  EwmhConnection& operator=(const EwmhConnection&) = delete;

  // A live connection whose EWMH atoms are known.
  bool connected() const;
  xcb_connection_t* connection() const { return connection_; }
  xcb_window_t root() const { return root_; }
  const xcb_ewmh_connection_t& atoms() const { return ewmh_; }

  // _NET_CLIENT_LIST, in mapping order.
  std::vector<xcb_window_t> clients();
  // _NET_CLIENT_LIST_STACKING, bottom to top; the client list when the window
  // manager keeps no stacking list.
  std::vector<xcb_window_t> stacking();
  std::optional<xcb_window_t> activeWindow();

  // _NET_WM_PID of each window, asked for all at once.
  std::vector<std::optional<int>> pids(const std::vector<xcb_window_t>& windows);

  struct WindowClass {
    std::optional<std::string> instance;
    std::optional<std::string> className;
  };
  WindowClass windowClass(xcb_window_t window);
  std::optional<std::string> gtkApplicationId(xcb_window_t window);
  // _NET_WM_WINDOW_TYPE in the window's order of preference: empty when
  // unset, none when the window is gone.
  std::optional<std::vector<xcb_atom_t>> windowTypes(xcb_window_t window);
  bool isTransient(xcb_window_t window);
  std::vector<xcb_atom_t> states(xcb_window_t window);

  // The decorations around a client, zero when the window manager gives none.
  xcb_ewmh_get_extents_reply_t frameExtents(xcb_window_t window);
  // The client area and the whole frame around it, in root coordinates.
  std::optional<PixelRect> clientArea(xcb_window_t window);
  std::optional<PixelRect> frame(xcb_window_t window);

  // _NET_WM_STRUT_PARTIAL, else _NET_WM_STRUT.
  std::optional<Strut> strut(xcb_window_t window);
  // _NET_WORKAREA of the current desktop.
  std::optional<PixelRect> workarea();
  PixelRect rootArea() const;

  // Requests to the window manager, as a pager would send them.
  void requestActivation(xcb_window_t window, xcb_timestamp_t time);
  void requestMoveResize(xcb_window_t window, xcb_ewmh_moveresize_window_opt_flags_t flags, PixelRect clientRect);
  void requestRaise(xcb_window_t window);
  void requestUnmaximize(xcb_window_t window);

  // Waits until the server has handled every request sent so far: a request
  // still in our buffer, or lost to a client that disconnects, did nothing.
  void sync();

 private:
  xcb_get_property_reply_t* property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type, std::uint32_t longs);

  xcb_connection_t* connection_;
  int screenNumber_;
  xcb_ewmh_connection_t ewmh_{};
  bool ready_ = false;
  xcb_window_t root_ = XCB_NONE;
  xcb_atom_t gtkApplicationIdAtom_ = XCB_NONE;
};

}  // namespace tavelin::app
