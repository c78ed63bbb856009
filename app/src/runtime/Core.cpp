#include "runtime/Core.hpp"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "runtime/Log.hpp"

namespace tavelin::app {
namespace {

std::string_view kindName(CoreError::Kind kind) {
  switch (kind) {
    case CoreError::Kind::Io: return "Io";
    case CoreError::Kind::Parse: return "Parse";
    case CoreError::Kind::Duplicate: return "Duplicate";
    case CoreError::Kind::NotFound: return "NotFound";
    case CoreError::Kind::Invalid: return "Invalid";
  }
  return "Invalid";
}

std::string inQuotes(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

std::string counts(const Settings& settings) {
  return std::to_string(settings.sequences.size()) + " sequences · " + std::to_string(settings.global_keys.size()) +
         " global keys";
}

// Moves the unreadable file out of the way without ever replacing an earlier
// one set aside in the same second.
std::optional<std::string> setAside(const std::string& path, std::chrono::system_clock::time_point when) {
  const std::string first = setAsidePath(path, when);
  std::string target = first;
  for (int attempt = 2;; ++attempt) {
    int moved = ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (moved != 0 && errno == EINVAL) {
      // A file system that cannot promise not to replace: look first.
      std::error_code ignored;
      moved = std::filesystem::exists(target, ignored) ? (errno = EEXIST, -1) : std::rename(path.c_str(), target.c_str());
    }
    if (moved == 0) return target;
    if (errno != EEXIST || attempt > 100) break;
    target = first.substr(0, first.size() - 5) + "-" + std::to_string(attempt) + ".json";
  }
  Log::error(std::string("Could not move the unreadable config aside: ") + std::strerror(errno));
  return std::nullopt;
}

}  // namespace

std::string humanMessage(const CoreError& error) { return error.message; }

std::string debugDescription(const CoreError& error) {
  return std::string(kindName(error.kind)) + "(message: " + inQuotes(error.message) + ")";
}

std::string setAsidePath(const std::string& path, std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H-%M-%SZ", &utc);
  std::filesystem::path target(path);
  target.replace_extension();
  return target.string() + ".broken-" + stamp + ".json";
}

std::shared_ptr<Core>& Core::shared() {
  static std::shared_ptr<Core> instance;
  return instance;
}

Core::Core(CoreEnvironment environment, Store store, std::optional<std::string> recoveredFrom)
    : environment_(std::move(environment)),
      store_(std::move(store)),
      settings_(store_->settings()),
      recoveredFrom_(std::move(recoveredFrom)) {
  resolver_.set_sequences(settings_.value().sequences);
}

std::shared_ptr<Core> Core::start(CoreEnvironment environment) {
  const std::string path = environment.path;
  std::optional<std::string> recoveredFrom;
  auto store = Store::open(path);
  if (!store) {
    recoveredFrom = setAside(path, environment.now());
    Log::error("Config at " + path + " could not be read: " + debugDescription(store.error()) + ". Moved to " +
               recoveredFrom.value_or("nowhere") + ".");
    store = Store::open(path);
    if (!store) {
      environment.dialogs.showCriticalAlert("Tavelin cannot save its configuration",
                                            humanMessage(store.error()) + "\n\n" + path, "Quit");
      environment.exit(1);
      return nullptr;
    }
  }
  auto core = std::make_shared<Core>(std::move(environment), std::move(*store), std::move(recoveredFrom));
  Log::info("Config " + path + " · " + counts(core->settings()));
  return core;
}

void Core::adopt(Settings settings) {
  if (settings.sequences != settings_.value().sequences) resolver_.set_sequences(settings.sequences);
  settings_.set(std::move(settings));
}

std::expected<Settings, CoreError> Core::reload() {
  auto reloaded = store_->reload();
  if (!reloaded) {
    Log::warn("Config change refused: " + humanMessage(reloaded.error()));
    return reloaded;
  }
  adopt(*reloaded);
  return reloaded;
}

void Core::watchConfig() {
  const std::string directory = std::filesystem::path(store_->path()).parent_path().string();
  std::weak_ptr<Core> weak = weak_from_this();
  watcher_ = std::make_unique<ConfigWatcher>(
      directory,
      [weak] {
        if (auto core = weak.lock()) core->adoptFromDisk();
      },
      environment_.main, environment_.folders);
  watcher_->arm();
}

void Core::adoptFromDisk() {
  auto reloaded = store_->reload();
  if (!reloaded) {
    Log::warn("Config changed on disk but could not be read: " + humanMessage(reloaded.error()));
    return;
  }
  if (*reloaded == settings_.value()) return;
  const std::string line = "Config changed on disk · " + counts(*reloaded);
  adopt(std::move(*reloaded));
  Log::info(line);
}

}  // namespace tavelin::app
