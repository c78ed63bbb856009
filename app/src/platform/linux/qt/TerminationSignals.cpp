#include "platform/linux/qt/TerminationSignals.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace tavelin::app {
namespace {

int pipeFds[2] = {-1, -1};

void onTerminationSignal(int signal) {
  const int saved = errno;
  const char byte = static_cast<char>(signal);
  // Nothing to do when the pipe is full: a quit is already on its way.
  [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> quit) : quit_(std::move(quit)) {
  if (pipeFds[0] < 0 && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (::sigaction(SIGTERM, &action, nullptr) != 0 || ::sigaction(SIGINT, &action, nullptr) != 0) return;

  notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(pipeFds[0], bytes, sizeof bytes) > 0) {
    }
    if (quit_) quit_();
  });
}

TerminationSignals::~TerminationSignals() {
  // Back to the default: a signal after this ends the process at once.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace tavelin::app
