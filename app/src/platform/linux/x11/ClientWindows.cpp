#include "platform/linux/x11/ClientWindows.hpp"

#include <algorithm>

namespace tavelin::app {

ClientWindows::ClientWindows(xcb_connection_t* connection, int screenNumber) : ewmh_(connection, screenNumber) {}

std::vector<ClientWindows::Client> ClientWindows::topFirst() {
  std::vector<xcb_window_t> windows = ewmh_.stacking();
  std::ranges::reverse(windows);

  std::vector<xcb_window_t> unknown;
  for (const xcb_window_t window : windows) {
    if (!pids_.contains(window)) unknown.push_back(window);
  }
  const std::vector<std::optional<int>> found = ewmh_.pids(unknown);
  for (std::size_t i = 0; i < unknown.size(); ++i) {
    if (found[i]) pids_[unknown[i]] = *found[i];
  }
  // Forget windows that are gone, so that a recycled id is asked afresh.
  std::erase_if(pids_, [&](const auto& entry) { return std::ranges::find(windows, entry.first) == windows.end(); });

  std::vector<Client> clients;
  for (const xcb_window_t window : windows) {
    if (const auto pid = pids_.find(window); pid != pids_.end()) clients.push_back({window, pid->second});
  }
  return clients;
}

std::vector<xcb_window_t> ClientWindows::windowsOf(int pid) {
  std::vector<xcb_window_t> windows;
  for (const Client& client : topFirst()) {
    if (client.pid == pid) windows.push_back(client.window);
  }
  return windows;
}

std::optional<int> ClientWindows::pidOf(xcb_window_t window) {
  if (const auto cached = pids_.find(window); cached != pids_.end()) return cached->second;
  return ewmh_.pids({window}).front();
}

void ClientWindows::activate(xcb_window_t window) {
  ewmh_.requestActivation(window, lastTime_);
  ewmh_.sync();
}

void ClientWindows::noteTime(xcb_timestamp_t time) {
  if (time != XCB_CURRENT_TIME) lastTime_ = time;
}

}  // namespace tavelin::app
