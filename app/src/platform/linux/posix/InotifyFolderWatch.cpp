#include "platform/linux/posix/InotifyFolderWatch.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <thread>

namespace tavelin::app {
namespace {

constexpr std::uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr std::uint32_t kSelfEvents = IN_MOVE_SELF | IN_DELETE_SELF;

class InotifyHandle final : public FolderWatchHandle {
 public:
  InotifyHandle(MainQueue& main, int inotify, int wake, std::function<void(FolderEvents)> onEvents)
      : main_(main), inotify_(inotify), wake_(wake), onEvents_(std::make_shared<Callback>(std::move(onEvents))) {
    reader_ = std::thread([this] { read_events(); });
  }

  ~InotifyHandle() override {
    // Silence deliveries already posted but not yet run: the main thread,
    // which runs them, is the one dropping the handle.
    onEvents_->reset();
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto ignored = ::write(wake_, &one, sizeof one);
    reader_.join();
    ::close(inotify_);
    ::close(wake_);
  }

 private:
  using Callback = std::optional<std::function<void(FolderEvents)>>;

  void read_events() {
    alignas(inotify_event) char buffer[8192];
    pollfd fds[2] = {{inotify_, POLLIN, 0}, {wake_, POLLIN, 0}};
    for (;;) {
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents != 0) return;
      FolderEvents events;
      bool any = false;
      for (;;) {
        const ssize_t got = ::read(inotify_, buffer, sizeof buffer);
        if (got <= 0) break;
        for (ssize_t offset = 0; offset < got;) {
          const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
          if ((event->mask & kEntryEvents) != 0 || (event->mask & IN_Q_OVERFLOW) != 0) events.entriesChanged = true;
          if ((event->mask & IN_MOVE_SELF) != 0) events.folderRenamed = true;
          if ((event->mask & (IN_DELETE_SELF | IN_UNMOUNT | IN_IGNORED)) != 0) events.folderDeleted = true;
          any = true;
          offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
      }
      if (any) {
        main_.post([callback = onEvents_, events] {
          if (*callback) (**callback)(events);
        });
      }
    }
  }

  MainQueue& main_;
  int inotify_;
  int wake_;
  std::shared_ptr<Callback> onEvents_;
  std::thread reader_;
};

}  // namespace

std::expected<std::unique_ptr<FolderWatchHandle>, int> InotifyFolderWatch::watch(
    const std::string& directory, std::function<void(FolderEvents)> onEvents) {
  const int inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify < 0) return std::unexpected(errno);
  if (::inotify_add_watch(inotify, directory.c_str(), kEntryEvents | kSelfEvents | IN_ONLYDIR) < 0) {
    const int error = errno;
    ::close(inotify);
    return std::unexpected(error);
  }
  const int wake = ::eventfd(0, EFD_CLOEXEC);
  if (wake < 0) {
    const int error = errno;
    ::close(inotify);
    return std::unexpected(error);
  }
  return std::make_unique<InotifyHandle>(main_, inotify, wake, std::move(onEvents));
}

}  // namespace tavelin::app
