#include <tavelin/store.hpp>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <mutex>

#include <tavelin/keys.hpp>

#include "store_files.hpp"
#include "store_rules.hpp"
#include "text.hpp"

namespace fs = std::filesystem;

namespace tavelin {

std::string config_path() {
  const char* home = std::getenv("HOME");
  const std::string base = (home != nullptr && text::is_valid_utf8(home)) ? home : ".";
  return (fs::path(base) / "Library/Application Support/Tavelin/config.json").string();
}

Store::Store(fs::path path, Settings settings)
    : path_(std::move(path)),
      lock_(std::make_unique<std::shared_mutex>()),
      changing_(std::make_unique<std::mutex>()),
      settings_(std::move(settings)) {}

std::expected<Store, CoreError> Store::open(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    // Only a file that is really not there is replaced by the defaults: any
    // other failure may hide someone's bindings, which must not be overwritten.
    if (errno != ENOENT && errno != ENOTDIR) {
      return std::unexpected(
          CoreError{CoreError::Kind::Io, "Could not read " + files::display(path) + ": " + files::os_reason(errno)});
    }
    Settings defaults = default_settings();
    if (auto written = files::write(path, defaults); !written) return std::unexpected(written.error());
    return Store(path, std::move(defaults));
  }
  auto settings = files::read(path);
  if (!settings) return std::unexpected(settings.error());
  return Store(path, std::move(*settings));
}

std::expected<Store, CoreError> Store::open_default() { return open(config_path()); }

std::string Store::path() const { return files::display(path_); }

Settings Store::settings() const {
  std::shared_lock guard(*lock_);
  return settings_;
}

std::vector<KeySequence> Store::sequences() const {
  std::shared_lock guard(*lock_);
  return settings_.sequences;
}

std::vector<GlobalKey> Store::global_keys() const {
  std::shared_lock guard(*lock_);
  return settings_.global_keys;
}

Hotkey Store::activation_hotkey() const {
  std::shared_lock guard(*lock_);
  return settings_.activation_hotkey;
}

WindowSize Store::main_window() const {
  std::shared_lock guard(*lock_);
  return settings_.main_window;
}

WindowSize Store::settings_window() const {
  std::shared_lock guard(*lock_);
  return settings_.settings_window;
}

ViewType Store::view_type() const {
  std::shared_lock guard(*lock_);
  return settings_.view_type;
}

Appearance Store::appearance() const {
  std::shared_lock guard(*lock_);
  return settings_.appearance;
}

std::string Store::default_terminal() const {
  std::shared_lock guard(*lock_);
  return settings_.terminal;
}

Store::Result Store::commit(Settings settings) {
  rules::sort_bindings(settings);
  if (auto written = files::write(path_, settings); !written) return std::unexpected(written.error());
  std::unique_lock guard(*lock_);
  settings_ = settings;
  return settings;
}

Store::Result Store::change(const std::function<std::expected<void, CoreError>(Settings&)>& edit) {
  // Changes are serialised from the copy to the install, so two threads
  // changing at once cannot leave memory and disk holding different winners.
  std::lock_guard serial(*changing_);
  Settings copy = settings();
  if (auto ok = edit(copy); !ok) return std::unexpected(ok.error());
  return commit(std::move(copy));
}

Store::Result Store::upsert_sequence(KeySequence sequence) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    if (auto ok = rules::check_sequence(sequence, s.sequences); !ok) return ok;
    auto same = std::ranges::find(s.sequences, sequence.id, &KeySequence::id);
    if (same != s.sequences.end()) {
      *same = std::move(sequence);
    } else {
      s.sequences.push_back(std::move(sequence));
    }
    return {};
  });
}

Store::Result Store::remove_sequence(std::string_view id) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    if (std::erase_if(s.sequences, [&](const KeySequence& q) { return q.id == id; }) == 0) {
      return std::unexpected(CoreError{CoreError::Kind::NotFound, "That sequence is no longer in the config."});
    }
    return {};
  });
}

Store::Result Store::upsert_global_key(GlobalKey key) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    if (auto ok = rules::check_global_key(key, s.global_keys, s.activation_hotkey); !ok) return ok;
    auto same = std::ranges::find(s.global_keys, key.id, &GlobalKey::id);
    if (same != s.global_keys.end()) {
      *same = std::move(key);
    } else {
      s.global_keys.push_back(std::move(key));
    }
    return {};
  });
}

Store::Result Store::remove_global_key(std::string_view id) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    if (std::erase_if(s.global_keys, [&](const GlobalKey& k) { return k.id == id; }) == 0) {
      return std::unexpected(CoreError{CoreError::Kind::NotFound, "That global key is no longer in the config."});
    }
    return {};
  });
}

Store::Result Store::set_activation_hotkey(Hotkey hotkey) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    if (auto ok = check_hotkey(hotkey.key_code, hotkey.modifiers); !ok) return ok;
    s.activation_hotkey = hotkey;
    return {};
  });
}

Store::Result Store::set_main_window(WindowSize size) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    const WindowSize minimum = minimum_main_window();
    // Written so that a size that is not a number is refused too.
    if (!(size.width >= minimum.width && size.height >= minimum.height)) {
      return std::unexpected(CoreError{CoreError::Kind::Invalid, "The main window cannot be smaller than 300×200."});
    }
    s.main_window = size;
    return {};
  });
}

Store::Result Store::set_settings_window(WindowSize size) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    s.settings_window = size;
    return {};
  });
}

Store::Result Store::set_view_type(ViewType view_type) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    s.view_type = view_type;
    return {};
  });
}

Store::Result Store::set_appearance(Appearance appearance) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    s.appearance = appearance;
    return {};
  });
}

Store::Result Store::replace(Settings settings) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    const Hotkey chord = settings.activation_hotkey;
    if (auto ok = check_hotkey(chord.key_code, chord.modifiers); !ok) return ok;
    s = std::move(settings);
    return {};
  });
}

Store::Result Store::reset_to_defaults() {
  return change([](Settings& s) -> std::expected<void, CoreError> {
    s = default_settings();
    return {};
  });
}

Store::Result Store::clear_bindings() {
  return change([](Settings& s) -> std::expected<void, CoreError> {
    s.sequences.clear();
    s.global_keys.clear();
    return {};
  });
}

Store::Result Store::reload() {
  auto settings = files::read(path_);
  if (!settings) return settings;
  std::unique_lock guard(*lock_);
  settings_ = *settings;
  return settings;
}

std::expected<void, CoreError> Store::export_to(const fs::path& path) const { return files::write(path, settings()); }

Store::Result Store::preview_import(const fs::path& path) const { return files::read(path); }

}  // namespace tavelin
