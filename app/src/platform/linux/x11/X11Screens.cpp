#include "platform/linux/x11/X11Screens.hpp"

#include <algorithm>

#include "platform/linux/x11/RandrMonitors.hpp"

namespace tavelin::app {

X11Screens::X11Screens(xcb_connection_t* connection, int screenNumber)
    : ewmh_(std::make_unique<EwmhConnection>(connection, screenNumber)) {}

X11Screens::Layout X11Screens::layout() const {
  if (!ewmh_->connected()) return {};
  const PixelRect root = ewmh_->rootArea();
  Layout result{randrMonitors(ewmh_->connection(), ewmh_->root(), root), {}};
  if (result.monitors.empty()) return result;

  std::vector<Strut> struts;
  const xcb_atom_t dock = ewmh_->atoms()._NET_WM_WINDOW_TYPE_DOCK;
  for (const xcb_window_t window : ewmh_->clients()) {
    const auto types = ewmh_->windowTypes(window);
    if (!types || std::ranges::find(*types, dock) == types->end()) continue;
    if (const auto strut = ewmh_->strut(window)) struts.push_back(*strut);
  }
  // The work area spans every monitor at once; it only says something about
  // one monitor when no dock says more.
  const std::optional<PixelRect> workarea = struts.empty() ? ewmh_->workarea() : std::nullopt;

  const PixelRect& primary = result.monitors.front().frame;
  for (const Monitor& monitor : result.monitors) {
    PixelRect visible = monitor.frame;
    if (!struts.empty()) {
      visible = visibleArea(monitor.frame, struts, root.width, root.height);
    } else if (workarea) {
      visible = intersection(monitor.frame, *workarea).value_or(monitor.frame);
    }
    result.screens.push_back({toBottomLeft(monitor.frame, primary), toBottomLeft(visible, primary)});
  }
  return result;
}

std::vector<Screen> X11Screens::screens() const { return layout().screens; }

std::optional<Screen> X11Screens::mainScreen() const {
  const Layout current = layout();
  if (current.screens.empty()) return std::nullopt;
  const auto active = ewmh_->activeWindow();
  const auto frame = active ? ewmh_->frame(*active) : std::nullopt;
  if (frame) {
    std::vector<PixelRect> areas;
    for (const Monitor& monitor : current.monitors) areas.push_back(monitor.frame);
    if (const auto index = mostOverlapped(*frame, areas)) return current.screens[*index];
  }
  return current.screens.front();
}

}  // namespace tavelin::app
