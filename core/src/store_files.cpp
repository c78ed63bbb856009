#include "store_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <system_error>

#include "text.hpp"

namespace fs = std::filesystem;

namespace tavelin::files {
namespace {

std::atomic<bool> durable_writes{true};

CoreError io(std::string message) { return {CoreError::Kind::Io, std::move(message)}; }

// Closes a descriptor on every path out of a function.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports the error close gives, which on some file systems
  // is the first word of a failed write.
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

std::expected<std::string, int> read_all(const fs::path& path) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return std::unexpected(errno);
  std::string contents;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got > 0) {
      contents.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0) {
      return contents;
    } else if (errno != EINTR) {
      return std::unexpected(errno);
    }
  }
}

int write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put >= 0) {
      bytes.remove_prefix(static_cast<std::size_t>(put));
    } else if (errno != EINTR) {
      return errno;
    }
  }
  return 0;
}

int write_file(const fs::path& path, std::string_view bytes, bool durable) {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) return errno;
  if (const int error = write_all(fd.get(), bytes)) return error;
  if (durable && ::fsync(fd.get()) != 0) return errno;
  return fd.close();
}

void sync_folder(const fs::path& folder) {
  Descriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // The rename has already happened: the new file is what every reader sees,
  // so a folder that cannot be flushed is not reported as a failed save.
  if (fd.get() >= 0) ::fsync(fd.get());
}

// A size that is not a finite number has no JSON form; writing it would leave
// a file no reader accepts.
std::optional<std::string> unencodable(const Settings& settings) {
  const auto check = [](const char* name, const WindowSize& size) -> std::optional<std::string> {
    if (!std::isfinite(size.width)) return std::string(name) + " width is not a finite number";
    if (!std::isfinite(size.height)) return std::string(name) + " height is not a finite number";
    return std::nullopt;
  };
  if (auto problem = check("main_window", settings.main_window)) return problem;
  return check("settings_window", settings.settings_window);
}

}  // namespace

void set_durable_writes(bool durable) { durable_writes = durable; }

std::string os_reason(int error) {
  return std::string(std::strerror(error)) + " (os error " + std::to_string(error) + ")";
}

std::string display(const fs::path& path) { return text::to_valid_utf8(path.native()); }

fs::path temporary_path(const fs::path& path) {
  fs::path temporary = path;
  return temporary.replace_extension("json.tmp");
}

fs::path write_target(const fs::path& path) {
  fs::path target = path;
  std::error_code error;
  // Bounded like the kernel's own limit on link chains, so a loop ends.
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(target, error)); ++hops) {
    const fs::path link = fs::read_symlink(target, error);
    if (error) break;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return target;
}

std::expected<Settings, CoreError> read(const fs::path& path) {
  auto contents = read_all(path);
  if (!contents) return std::unexpected(io("Could not read " + display(path) + ": " + os_reason(contents.error())));
  if (!text::is_valid_utf8(*contents)) {
    return std::unexpected(io("Could not read " + display(path) + ": stream did not contain valid UTF-8"));
  }
  auto settings = settings_from_json(*contents);
  if (!settings) {
    return std::unexpected(
        CoreError{CoreError::Kind::Parse, display(path) + " is not a Tavelin config: " + settings.error()});
  }
  return std::move(*settings);
}

std::expected<void, CoreError> write(const fs::path& given, const Settings& settings) {
  const fs::path path = write_target(given);
  const fs::path folder = path.parent_path();
  if (!folder.empty()) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) return std::unexpected(io("Could not create " + display(folder) + ": " + os_reason(error.value())));
  }

  if (auto problem = unencodable(settings)) {
    return std::unexpected(CoreError{CoreError::Kind::Parse, "Could not encode the config: " + *problem});
  }
  const std::string json = settings_to_json(settings);

  const bool durable = durable_writes;
  const fs::path temporary = temporary_path(path);
  if (const int error = write_file(temporary, json, durable)) {
    // A half-written temporary file is of no use to anyone.
    ::unlink(temporary.c_str());
    return std::unexpected(io("Could not write " + display(temporary) + ": " + os_reason(error)));
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    return std::unexpected(io("Could not save " + display(given) + ": " + os_reason(errno)));
  }
  if (durable) sync_folder(folder);
  return {};
}

}  // namespace tavelin::files
