#include "platform/linux/x11/X11RunningApplication.hpp"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace tavelin::app {

std::optional<unsigned long long> processStartTime(int pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  // The command name may hold spaces and parentheses: the fields that matter
  // come after the last ')'. State is the first, the start time the 20th.
  const auto close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(close + 1));
  std::string state;
  fields >> state;
  if (state == "Z" || state == "X") return std::nullopt;
  std::string skipped;
  for (int i = 0; i < 18; ++i) fields >> skipped;
  unsigned long long start = 0;
  if (!(fields >> start)) return std::nullopt;
  return start;
}

X11RunningApplication::X11RunningApplication(std::weak_ptr<ClientWindows> windows, int pid, bool self)
    : windows_(std::move(windows)), pid_(pid), self_(self), startTime_(processStartTime(pid)) {
  // Where /proc tells, a process missing from it (or a zombie) has ended,
  // though its windows may linger a moment in the window manager's list.
  static const bool procMounted = processStartTime(::getpid()).has_value();
  if (!startTime_ && procMounted) terminated_ = true;
}

void X11RunningApplication::setIdentity(Identity identity) {
  if (identityKnown_) return;
  identity_ = std::move(identity);
  identityKnown_ = true;
}

bool X11RunningApplication::processAlive() const {
  if (startTime_) return processStartTime(pid_) == startTime_;
  // Without /proc, the signal test: a process we may not signal exists all
  // the same.
  return ::kill(pid_, 0) == 0 || errno == EPERM;
}

bool X11RunningApplication::refresh(bool hasWindow) const {
  if (self_) return false;
  if (terminated_) return true;
  if (!processAlive()) {
    terminated_ = true;
  } else if (hasWindow) {
    sawWindow_ = true;
  } else if (sawWindow_) {
    terminated_ = true;
  }
  return terminated_;
}

bool X11RunningApplication::isTerminated() const {
  if (self_) return false;
  if (terminated_) return true;
  const std::shared_ptr<ClientWindows> windows = windows_.lock();
  if (!windows) return terminated_ = true;
  return refresh(!windows->windowsOf(pid_).empty());
}

bool X11RunningApplication::activate() {
  const std::shared_ptr<ClientWindows> windows = windows_.lock();
  if (!windows) return false;
  const std::vector<xcb_window_t> own = windows->windowsOf(pid_);
  if (refresh(!own.empty()) || own.empty()) return false;
  windows->activate(own.front());
  return true;
}

}  // namespace tavelin::app
