#include "platform/linux/posix/PosixProcesses.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

extern char** environ;

namespace tavelin::app {
namespace {

std::string describe(int error) {
  std::array<char, 256> buffer{};
  return strerror_r(error, buffer.data(), buffer.size());  // the GNU form: gives the text
}

// Owns one file descriptor, so that no return path can leak it.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

// When this process runs with a standard descriptor closed, pipe2 can hand out
// 0, 1 or 2, and the child's dup2 onto 1 and 2 would overwrite a pipe end
// before it is duplicated. Keeping every end above 2 rules that out.
std::expected<Descriptor, int> aboveStandard(Descriptor fd) {
  if (fd.get() > 2) return fd;
  const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3);
  if (moved < 0) return std::unexpected(errno);
  return Descriptor(moved);
}

struct Pipe {
  Descriptor read;
  Descriptor write;
};

// Close-on-exec from the start, so children that other threads start
// meanwhile never inherit an end (which would hold our reads open).
std::expected<Pipe, int> makePipe() {
  std::array<int, 2> ends{};
  if (::pipe2(ends.data(), O_CLOEXEC) != 0) return std::unexpected(errno);
  Descriptor read(ends[0]);
  Descriptor write(ends[1]);
  auto safeRead = aboveStandard(std::move(read));
  if (!safeRead) return std::unexpected(safeRead.error());
  auto safeWrite = aboveStandard(std::move(write));
  if (!safeWrite) return std::unexpected(safeWrite.error());
  return Pipe{std::move(*safeRead), std::move(*safeWrite)};
}

class FileActions {
 public:
  FileActions() : error_(posix_spawn_file_actions_init(&actions_)), initialised_(error_ == 0) {}
  ~FileActions() {
    if (initialised_) posix_spawn_file_actions_destroy(&actions_);
  }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;

  int redirect(int from, int to) {
    if (error_ == 0) error_ = posix_spawn_file_actions_adddup2(&actions_, from, to);
    return error_;
  }
  int error() const { return error_; }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  int error_;
  bool initialised_;
};

// The child starts with no signal blocked and every signal at its default
// action: a mask or an ignored SIGPIPE belonging to the calling thread is no
// business of the command's.
class CleanSignals {
 public:
  CleanSignals() : error_(posix_spawnattr_init(&attributes_)), initialised_(error_ == 0) {
    if (!initialised_) return;
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    error_ = posix_spawnattr_setsigmask(&attributes_, &none);
    if (error_ == 0) error_ = posix_spawnattr_setsigdefault(&attributes_, &all);
    if (error_ == 0) error_ = posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~CleanSignals() {
    if (initialised_) posix_spawnattr_destroy(&attributes_);
  }
  CleanSignals(const CleanSignals&) = delete;
  CleanSignals& operator=(const CleanSignals&) = delete;

  int error() const { return error_; }
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_{};
  int error_;
  bool initialised_;
};

// Reads both streams as data arrives on either, until both are at their end.
void drain(Descriptor& output, std::string& outputText, Descriptor& error, std::string& errorText) {
  const std::array<Descriptor*, 2> streams{&output, &error};
  const std::array<std::string*, 2> texts{&outputText, &errorText};
  std::string buffer(64 * 1024, '\0');
  while (output || error) {
    std::array<pollfd, 2> polls{};
    std::array<std::size_t, 2> which{};
    nfds_t count = 0;
    for (std::size_t i = 0; i < streams.size(); ++i) {
      if (!*streams[i]) continue;
      polls[count] = pollfd{streams[i]->get(), POLLIN, 0};
      which[count++] = i;
    }
    if (::poll(polls.data(), count, -1) < 0) {
      if (errno == EINTR) continue;
      // Cannot watch the pipes any more: closing them lets the child finish
      // (its writes fail) instead of leaving it blocked forever.
      return;
    }
    for (nfds_t k = 0; k < count; ++k) {
      if (polls[k].revents == 0) continue;
      Descriptor& stream = *streams[which[k]];
      const ssize_t got = ::read(stream.get(), buffer.data(), buffer.size());
      if (got > 0) {
        texts[which[k]]->append(buffer.data(), static_cast<std::size_t>(got));
      } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        stream.reset();
      }
    }
  }
}

int decodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return status;
}

}  // namespace

std::expected<ProcessResult, std::string> PosixProcesses::run(const std::string& executable,
                                                              const std::vector<std::string>& arguments) {
  auto output = makePipe();
  if (!output) return std::unexpected(describe(output.error()));
  auto error = makePipe();
  if (!error) return std::unexpected(describe(error.error()));

  FileActions actions;
  actions.redirect(output->write.get(), STDOUT_FILENO);
  actions.redirect(error->write.get(), STDERR_FILENO);
  if (actions.error() != 0) return std::unexpected(describe(actions.error()));
  const CleanSignals signals;
  if (signals.error() != 0) return std::unexpected(describe(signals.error()));

  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(executable.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, executable.c_str(), actions.get(), signals.get(), argv.data(), environ);
  // Only the child may hold the write ends, or the reads never see the end.
  output->write.reset();
  error->write.reset();
  if (spawned != 0) return std::unexpected(describe(spawned));

  ProcessResult result;
  drain(output->read, result.standardOutput, error->read, result.standardError);
  output->read.reset();
  error->read.reset();

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return std::unexpected(describe(errno));
  }
  result.status = decodeStatus(status);
  return result;
}

}  // namespace tavelin::app
