#include "runtime/Log.hpp"

#include <syslog.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <vector>

namespace tavelin::app {

struct LogTap::Slot {
  explicit Slot(Observer o) : observer(std::move(o)) {}
  Observer observer;
  // The destructor waits until no other thread is inside the observer; no lock
  // is held during a call, so an observer may log or add and drop taps.
  std::mutex mutex;
  std::condition_variable idle;
  int inFlight = 0;  // guarded by `mutex`
  bool live = true;  // guarded by `mutex`
};

namespace {

// Taps may come and go during static destruction, so the registry is never
// destroyed; the count keeps a Log call cheap when nobody listens.
constinit std::atomic<int> tapCount{0};

struct TapRegistry {
  std::mutex mutex;
  std::vector<std::shared_ptr<LogTap::Slot>> slots;
};

TapRegistry& taps() {
  static TapRegistry* const registry = new TapRegistry;
  return *registry;
}

// The deliveries running on this thread, innermost first, so that a tap
// dropped from inside an observer does not wait for itself.
struct Delivery {
  const LogTap::Slot* slot;
  const Delivery* outer;
};
thread_local const Delivery* deliveries = nullptr;

void deliverTo(LogTap::Slot& slot, LogLevel level, std::string_view message) {
  {
    std::lock_guard lock(slot.mutex);
    if (!slot.live) return;
    ++slot.inFlight;
  }
  const Delivery delivery{&slot, deliveries};
  deliveries = &delivery;
  try {
    slot.observer(level, message);
  } catch (...) {
    // An observer's failure is not the caller's.
  }
  deliveries = delivery.outer;
  std::lock_guard lock(slot.mutex);
  --slot.inFlight;
  // The dropping thread may itself be inside the observer, waiting for the
  // count to fall to its own calls rather than to zero.
  if (!slot.live) slot.idle.notify_all();
}

void deliverToTaps(LogLevel level, std::string_view message) {
  if (tapCount.load(std::memory_order_acquire) == 0) return;
  std::vector<std::shared_ptr<LogTap::Slot>> slots;
  {
    TapRegistry& registry = taps();
    std::lock_guard lock(registry.mutex);
    slots = registry.slots;
  }
  for (const auto& slot : slots) deliverTo(*slot, level, message);
}

std::filesystem::path resolveLogFile() {
  std::filesystem::path folder;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') {
    folder = std::filesystem::path(home) / "Library" / "Logs";
  } else {
    // An empty HOME would otherwise put the log in a Library folder inside
    // whatever folder the process happened to start in.
    std::error_code error;
    folder = std::filesystem::temp_directory_path(error);
    if (error) folder = "/tmp";
  }
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder / "Tavelin.log";
}

// Worked out once; never destroyed, so a static destructor may still log.
const std::filesystem::path& logFile() {
  static const std::filesystem::path* const file = new std::filesystem::path(resolveLogFile());
  return *file;
}

// A copy of each line for the system log, where there is one to receive it:
// without a socket every call would pay for a failed connect.
bool systemLogOpen() {
  static const bool open = [] {
    if (::access("/dev/log", W_OK) != 0) return false;
    ::openlog("tavelin", LOG_PID | LOG_NDELAY, LOG_USER);
    return true;
  }();
  return open;
}

void copyToSystemLog(LogLevel level, std::string_view message) {
  int priority = LOG_WARNING;
  switch (level) {
    case LogLevel::Debug: return;  // kept out of the system log, as debug usually is; the file has it
    case LogLevel::Info: priority = LOG_INFO; break;
    case LogLevel::Default: priority = LOG_WARNING; break;
    case LogLevel::Error: priority = LOG_ERR; break;
    case LogLevel::Fault: priority = LOG_CRIT; break;
  }
  if (!systemLogOpen()) return;
  const int length = message.size() > INT_MAX ? INT_MAX : static_cast<int>(message.size());
  ::syslog(priority, "%.*s", length, message.data());
}

LogWriter& sharedWriter() {
  static LogWriter* const writer = new LogWriter(logFile());
  return *writer;
}

void write(LogLevel level, std::string_view message) noexcept {
  try {
    deliverToTaps(level, message);
    copyToSystemLog(level, message);
    sharedWriter().write(level, message);
  } catch (...) {
    // Logging never fails its caller.
  }
}

}  // namespace

LogTap::LogTap(Observer observer) : slot_(std::make_shared<Slot>(std::move(observer))) {
  TapRegistry& registry = taps();
  std::lock_guard lock(registry.mutex);
  registry.slots.push_back(slot_);
  tapCount.fetch_add(1, std::memory_order_release);
}

LogTap::~LogTap() {
  {
    TapRegistry& registry = taps();
    std::lock_guard lock(registry.mutex);
    std::erase(registry.slots, slot_);
    tapCount.fetch_sub(1, std::memory_order_release);
  }
  // A delivery that copied the list before the erase may be calling on
  // another thread: silence the tap and wait that call out, but not calls on
  // this thread, which is inside the observer when it drops its own tap.
  int own = 0;
  for (const Delivery* d = deliveries; d != nullptr; d = d->outer) own += d->slot == slot_.get() ? 1 : 0;
  std::unique_lock lock(slot_->mutex);
  slot_->live = false;
  slot_->idle.wait(lock, [&] { return slot_->inFlight == own; });
}

void Log::debug(std::string_view message) { write(LogLevel::Debug, message); }
void Log::info(std::string_view message) { write(LogLevel::Info, message); }
void Log::warn(std::string_view message) { write(LogLevel::Default, message); }
void Log::error(std::string_view message) { write(LogLevel::Error, message); }

void Log::endSession() {
  write(LogLevel::Info, "── Tavelin stopped ──");
  try {
    sharedWriter().flush();
  } catch (...) {
  }
}

std::filesystem::path Log::fileURL() {
  try {
    return logFile();
  } catch (...) {
    return {};
  }
}

}  // namespace tavelin::app
