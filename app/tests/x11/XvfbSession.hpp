#pragma once

// A private X display for one test process: Xvfb on a free display number,
// optionally with openbox managing it, torn down with the object. Tests of the
// real desktop layer run against it; nothing touches the user's own display.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tavelin::app::testing {

class XvfbSession {
 public:
  struct Options {
    int width = 1440;
    int height = 900;
    bool windowManager = true;  // openbox, with a configuration that grabs no chords
  };

  // Starts the server (and the window manager). Check ok() before use; the
  // reason says why it could not start.
  XvfbSession();
  explicit XvfbSession(Options options);
  ~XvfbSession();
  XvfbSession(const XvfbSession&) = delete;
  XvfbSession& operator=(const XvfbSession&) = delete;

  bool ok() const { return reason_.empty(); }
  const std::string& reason() const { return reason_; }

  // ":N", also put in DISPLAY for this process and its children.
  const std::string& display() const { return display_; }

  // Starts a client (for example xterm) on this display; the session ends it.
  pid_t spawn(const std::vector<std::string>& argv);

  // Runs a command line on this display to completion and returns its
  // standard output (for xdotool, xwininfo, xrandr).
  std::optional<std::string> run(const std::vector<std::string>& argv);

  // Waits (in real time, up to `timeout`) until `condition` holds, polling.
  template <class Condition>
  static bool waitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  static void pause();
  void tearDown();
  bool startServer(const Options& options);
  bool startWindowManager();

  std::string display_;
  std::string reason_;
  std::string configDir_;
  pid_t server_ = -1;
  std::vector<pid_t> clients_;
};

template <class Condition>
bool XvfbSession::waitUntil(Condition condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    pause();
  }
  return condition();
}

}  // namespace tavelin::app::testing
