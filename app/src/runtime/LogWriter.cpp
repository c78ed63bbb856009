#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "runtime/Log.hpp"

namespace tavelin::app {
namespace {

// The file at a path, followed by identity rather than by the open handle: a
// file deleted, moved away or replaced between two lines is noticed by its
// inode and the next line goes to a fresh file at the path. Never truncates.
class FollowedFile {
 public:
  explicit FollowedFile(const std::filesystem::path& path) : path_(path.string()), folder_(path.parent_path()) {}
  ~FollowedFile() { closeHandle(); }
  FollowedFile(const FollowedFile&) = delete;
  FollowedFile& operator=(const FollowedFile&) = delete;

  // A line that cannot be written is dropped; the next one starts over.
  void append(const std::string& line) {
    if (!current()) return;
    const char* data = line.data();
    std::size_t left = line.size();
    while (left > 0) {
      const ssize_t wrote = ::write(fd_, data, left);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return;  // keep the handle: a full disk may drain
      data += wrote;
      left -= static_cast<std::size_t>(wrote);
    }
  }

 private:
  bool current() {
    struct stat atPath {};
    const bool exists = ::stat(path_.c_str(), &atPath) == 0;
    if (fd_ >= 0 && exists && known_ && atPath.st_dev == dev_ && atPath.st_ino == ino_) return true;
    closeHandle();
    int fd = openForAppend();
    if (fd < 0 && errno == ENOENT) {
      // The folder is missing (never made, or removed while running): make it
      // with its parents and try once more.
      std::error_code ignored;
      std::filesystem::create_directories(folder_, ignored);
      fd = openForAppend();
    }
    if (fd < 0) return false;
    fd_ = fd;
    // The identity of what was actually opened, not of whatever the path
    // names by now.
    struct stat opened {};
    known_ = ::fstat(fd_, &opened) == 0;
    dev_ = opened.st_dev;
    ino_ = opened.st_ino;
    return true;
  }

  int openForAppend() const {
    int fd;
    do {
      fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
  }

  void closeHandle() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    known_ = false;
  }

  std::string path_;
  std::filesystem::path folder_;
  int fd_ = -1;
  bool known_ = false;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
};

}  // namespace

struct LogWriter::State {
  explicit State(std::filesystem::path path) : file(std::move(path)), target(file) {}

  // The writer thread: takes everything queued at once and writes it without
  // holding the lock, so callers never wait on the disk.
  void run() {
    std::vector<std::string> batch;
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [&] { return !queue.empty() || stopping; });
      if (queue.empty()) return;  // stopping, and everything is written
      batch.swap(queue);
      lock.unlock();
      writeAll(batch);
      const std::size_t count = batch.size();
      batch.clear();
      lock.lock();
      written += count;
      done.notify_all();
    }
  }

  void writeAll(const std::vector<std::string>& lines) noexcept {
    for (const std::string& line : lines) {
      try {
        target.append(line);
      } catch (...) {
        // Only allocation inside create_directories can throw; the line is lost.
      }
    }
  }

  const std::filesystem::path file;
  FollowedFile target;  // touched only by the writer thread (or under `mutex` without one)

  std::mutex mutex;
  std::condition_variable wake;  // the writer waits for lines or the stop
  std::condition_variable done;  // flushers wait for `written`
  std::vector<std::string> queue;
  std::uint64_t handed = 0;
  std::uint64_t written = 0;
  bool stopping = false;
  std::thread writer;
};

LogWriter::LogWriter(std::filesystem::path file) : state_(std::make_unique<State>(std::move(file))) {
  try {
    state_->writer = std::thread([state = state_.get()] { state->run(); });
  } catch (...) {
    // No thread to be had: write() falls back to writing on the caller's
    // thread rather than losing every line.
  }
}

LogWriter::~LogWriter() {
  if (!state_->writer.joinable()) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_one();
  state_->writer.join();
}

const std::filesystem::path& LogWriter::file() const { return state_->file; }

void LogWriter::write(LogLevel level, std::string_view message) {
  try {
    std::string line = formatLogLine(std::chrono::system_clock::now(), level, message);
    State& state = *state_;
    if (!state.writer.joinable()) {
      std::lock_guard lock(state.mutex);
      state.target.append(line);
      return;
    }
    {
      std::lock_guard lock(state.mutex);
      state.queue.push_back(std::move(line));
      ++state.handed;
    }
    state.wake.notify_one();
  } catch (...) {
    // Out of memory: the line is dropped, the caller carries on.
  }
}

void LogWriter::flush() {
  State& state = *state_;
  if (!state.writer.joinable()) return;
  std::unique_lock lock(state.mutex);
  const std::uint64_t target = state.handed;
  state.done.wait(lock, [&] { return state.written >= target; });
}

}  // namespace tavelin::app
