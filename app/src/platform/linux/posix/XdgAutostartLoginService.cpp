#include "platform/linux/posix/XdgAutostartLoginService.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>
#include <utility>

namespace tavelin::app {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view ourMarker = "X-Tavelin-Autostart";

std::string describe(int error) {
  std::array<char, 256> buffer{};
  return strerror_r(error, buffer.data(), buffer.size());  // the GNU form: gives the text
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// What the keys of the entry's main group say about it.
struct EntryFacts {
  bool ours = false;
  bool switchedOff = false;  // hidden, or disabled by the desktop's own switch
};

EntryFacts readFacts(std::string_view text) {
  EntryFacts facts;
  bool hidden = false;
  bool disabled = false;
  bool inMainGroup = false;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    const auto equals = line.find('=');
    if (!inMainGroup || equals == std::string_view::npos) continue;
    const std::string_view key = trimmed(line.substr(0, equals));
    const std::string_view value = trimmed(line.substr(equals + 1));
    if (key == ourMarker) facts.ours = value == "true";
    if (key == "Hidden") hidden = value == "true";
    if (key == "X-GNOME-Autostart-enabled") disabled = value == "false";
  }
  facts.switchedOff = hidden || disabled;
  return facts;
}

std::optional<std::string> readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// The executable as one argument of Exec: quoted, with the characters that
// are special inside quotes escaped, a literal percent doubled; then the
// escapes of a string value, which double every backslash once more.
std::string execArgument(const std::string& executable) {
  std::string quoted = "\"";
  for (char c : executable) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  std::string value;
  for (char c : quoted) {
    switch (c) {
      case '\\': value += "\\\\"; break;
      case '\n': value += "\\n"; break;
      case '\t': value += "\\t"; break;
      case '\r': value += "\\r"; break;
      default: value += c;
    }
  }
  return value;
}

std::unexpected<std::string> writeFailure(const fs::path& entry, int error) {
  return std::unexpected("Could not write the autostart entry " + entry.string() + ": " + describe(error) + ".");
}

// Either the whole new entry is in place or the old one is untouched: the
// bytes reach the disk before the rename makes them the entry.
std::expected<void, std::string> replaceFile(const fs::path& target, const std::string& bytes) {
  const fs::path temporary = fs::path(target).concat(".tmp");
  ::unlink(temporary.c_str());  // a leftover of an interrupted write
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return writeFailure(target, errno);
  auto fail = [&](int error) {
    ::unlink(temporary.c_str());
    return writeFailure(target, error);
  };
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const ssize_t written = ::write(fd, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) {
      const int error = errno;
      ::close(fd);
      return fail(error);
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  if (::fsync(fd) != 0) {
    const int error = errno;
    ::close(fd);
    return fail(error);
  }
  if (::close(fd) != 0) return fail(errno);
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);
  // Make the rename itself durable; the entry is in place either way.
  if (const int folder = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return {};
}

std::unexpected<std::string> noLocation() {
  return std::unexpected(
      std::string("Could not find the autostart folder: neither XDG_CONFIG_HOME nor HOME names an absolute folder."));
}

}  // namespace

std::string autostartEntryText(const std::string& executable) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Tavelin\n"
         "Comment=Start Tavelin at login\n"
         "Exec=" +
         execArgument(executable) +
         "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n" +
         std::string(ourMarker) + "=true\n";
}

XdgAutostartLoginService::Environment XdgAutostartLoginService::processEnvironment() {
  return app::processEnvironment();
}

XdgAutostartLoginService::XdgAutostartLoginService(std::string bundleIdentifier, std::string executable,
                                                   Environment environment)
    : bundleIdentifier_(std::move(bundleIdentifier)),
      executable_(std::move(executable)),
      environment_(std::move(environment)) {}

// A relative value would put the entry wherever the process happens to run,
// so it counts as unset, as the base-directory rules say.
std::optional<fs::path> XdgAutostartLoginService::entryPath() const {
  auto absolute = [&](const char* name) -> std::optional<fs::path> {
    auto value = environment_(name);
    if (!value || value->empty() || value->front() != '/') return std::nullopt;
    return fs::path(*value);
  };
  std::optional<fs::path> config = absolute("XDG_CONFIG_HOME");
  if (!config) {
    if (auto home = absolute("HOME")) config = *home / ".config";
  }
  if (!config) return std::nullopt;
  return *config / "autostart" / (bundleIdentifier_ + ".desktop");
}

LoginServiceStatus XdgAutostartLoginService::status() const {
  const auto entry = entryPath();
  if (!entry) return LoginServiceStatus::notRegistered;
  const auto text = readWhole(*entry);
  if (!text) return LoginServiceStatus::notRegistered;
  const EntryFacts facts = readFacts(*text);
  return facts.ours && !facts.switchedOff ? LoginServiceStatus::enabled : LoginServiceStatus::notRegistered;
}

std::expected<void, std::string> XdgAutostartLoginService::registerLoginItem() {
  const auto entry = entryPath();
  if (!entry) return noLocation();
  std::error_code error;
  fs::create_directories(entry->parent_path(), error);
  if (error) {
    return std::unexpected("Could not create the autostart folder " + entry->parent_path().string() + ": " +
                           error.message() + ".");
  }
  return replaceFile(*entry, autostartEntryText(executable_));
}

std::expected<void, std::string> XdgAutostartLoginService::unregisterLoginItem() {
  const auto entry = entryPath();
  if (!entry) return noLocation();
  const auto text = readWhole(*entry);
  if (!text || !readFacts(*text).ours) return {};  // nothing of ours there
  if (::unlink(entry->c_str()) == 0 || errno == ENOENT) return {};
  const int reason = errno;
  return std::unexpected("Could not remove the autostart entry " + entry->string() + ": " + describe(reason) + ".");
}

}  // namespace tavelin::app
