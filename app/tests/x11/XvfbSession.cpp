#include "x11/XvfbSession.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace tavelin::app::testing {
namespace {

pid_t spawnProcess(const std::vector<std::string>& argv, int stdoutFd = -1) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const int devnull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  posix_spawn_file_actions_adddup2(&actions, devnull, 0);
  posix_spawn_file_actions_adddup2(&actions, stdoutFd >= 0 ? stdoutFd : devnull, 1);
  posix_spawn_file_actions_adddup2(&actions, devnull, 2);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(devnull);
  return error == 0 ? pid : -1;
}

void stop(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

// Openbox with its defaults, less every key binding: stock openbox takes
// Alt+Space for its own menu, and tests need their chords free.
constexpr const char* kOpenboxRc = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse></mouse>
</openbox_config>
)";

}  // namespace

void XvfbSession::pause() { std::this_thread::sleep_for(std::chrono::milliseconds(10)); }

XvfbSession::XvfbSession() : XvfbSession(Options{}) {}

XvfbSession::XvfbSession(Options options) {
  // Servers started side by side by parallel tests can race for a display,
  // and the loser's window manager then fails: start over a few times.
  for (int attempt = 0; attempt < 3; ++attempt) {
    reason_.clear();
    if (startServer(options)) {
      ::setenv("DISPLAY", display_.c_str(), 1);
      if (!options.windowManager || startWindowManager()) return;
    }
    tearDown();
  }
}

XvfbSession::~XvfbSession() { tearDown(); }

void XvfbSession::tearDown() {
  for (auto it = clients_.rbegin(); it != clients_.rend(); ++it) stop(*it);
  clients_.clear();
  stop(server_);
  server_ = -1;
  if (!configDir_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(configDir_, ignored);
    configDir_.clear();
  }
}

bool XvfbSession::startServer(const Options& options) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    reason_ = "no pipe for Xvfb";
    return false;
  }
  // -displayfd makes the server pick a free display and tell us which.
  const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
  {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int devnull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    posix_spawn_file_actions_adddup2(&actions, devnull, 0);
    posix_spawn_file_actions_adddup2(&actions, devnull, 1);
    posix_spawn_file_actions_adddup2(&actions, devnull, 2);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
    // -noreset: the server would otherwise reset when its last client leaves,
    // failing a connection that arrives during the reset.
    std::vector<std::string> argv = {"Xvfb",     "-displayfd", "3",   "-screen", "0", screen,
                                     "-nolisten", "tcp",        "-noreset"};
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    const int error = posix_spawnp(&server_, "Xvfb", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(devnull);
    if (error != 0) server_ = -1;
  }
  ::close(pipeFds[1]);
  if (server_ <= 0) {
    ::close(pipeFds[0]);
    reason_ = "Xvfb could not be started";
    return false;
  }
  std::string number;
  pollfd fd{pipeFds[0], POLLIN, 0};
  while (::poll(&fd, 1, 10000) > 0) {
    char c = 0;
    if (::read(pipeFds[0], &c, 1) != 1 || c == '\n') break;
    number.push_back(c);
  }
  ::close(pipeFds[0]);
  if (number.empty()) {
    reason_ = "Xvfb did not report its display";
    return false;
  }
  display_ = ":" + number;
  return true;
}

bool XvfbSession::startWindowManager() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavelin-openbox-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    reason_ = "no folder for the openbox configuration";
    return false;
  }
  configDir_ = pattern;
  const std::string rc = configDir_ + "/rc.xml";
  std::ofstream(rc) << kOpenboxRc;
  const pid_t wm = spawnProcess({"openbox", "--config-file", rc});
  if (wm <= 0) {
    reason_ = "openbox could not be started";
    return false;
  }
  clients_.push_back(wm);
  // The window manager is ready once it has put up its check window.
  const bool ready = waitUntil(
      [&] {
    auto out = run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"});
    return out && out->find("window id") != std::string::npos;
  }, std::chrono::seconds(10));
  if (!ready) reason_ = "openbox did not start managing the display";
  return ready;
}

pid_t XvfbSession::spawn(const std::vector<std::string>& argv) {
  const pid_t pid = spawnProcess(argv);
  if (pid > 0) clients_.push_back(pid);
  return pid;
}

std::optional<std::string> XvfbSession::run(const std::vector<std::string>& argv) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return std::nullopt;
  const pid_t pid = spawnProcess(argv, pipeFds[1]);
  ::close(pipeFds[1]);
  if (pid <= 0) {
    ::close(pipeFds[0]);
    return std::nullopt;
  }
  std::string out;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(got));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return out;
}

}  // namespace tavelin::app::testing
