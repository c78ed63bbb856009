#pragma once

#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include <tavelin/config.hpp>
#include <tavelin/error.hpp>

namespace tavelin {

// $HOME/Library/Application Support/Tavelin/config.json ("." for an unset or
// non-UTF-8 HOME).
std::string config_path();

// Owns the configuration: one Settings in memory and its JSON file on disk.
// Every change is validated, sorted, written to a temporary file, renamed over
// the file and only then installed, so nothing reaches memory that is not on
// disk. Every operation may be called from any thread.
class Store {
 public:
  static std::expected<Store, CoreError> open(const std::filesystem::path& path);
  static std::expected<Store, CoreError> open_default();

  Store(Store&&) noexcept = default;
  Store& operator=(Store&&) noexcept = default;

  // Where the configuration lives; invalid UTF-8 shows as U+FFFD.
  std::string path() const;

  Settings settings() const;
  std::vector<KeySequence> sequences() const;
  std::vector<GlobalKey> global_keys() const;
  Hotkey activation_hotkey() const;
  WindowSize main_window() const;
  WindowSize settings_window() const;
  ViewType view_type() const;
  Appearance appearance() const;
  std::string default_terminal() const;
  std::vector<std::string> terminal_list(const std::vector<std::string>& installed) const;

  using Result = std::expected<Settings, CoreError>;

  Result upsert_sequence(KeySequence sequence);
  Result remove_sequence(std::string_view id);
  Result upsert_global_key(GlobalKey key);
  Result remove_global_key(std::string_view id);
  Result set_activation_hotkey(Hotkey hotkey);
  Result set_main_window(WindowSize size);
  Result set_settings_window(WindowSize size);
  Result set_view_type(ViewType view_type);
  Result set_appearance(Appearance appearance);
  Result replace(Settings settings);
  Result reset_to_defaults();
  Result clear_bindings();
  Result add_terminal(std::string_view bundle_id);
  Result remove_terminal(std::string_view bundle_id);
  Result set_default_terminal(std::string_view bundle_id);

  Result reload();
  std::expected<void, CoreError> export_to(const std::filesystem::path& path) const;
  Result preview_import(const std::filesystem::path& path) const;

 private:
  Store(std::filesystem::path path, Settings settings);
  Result commit(Settings settings);
  // Copy, edit (which may refuse), commit: the one way a change is made.
  Result change(const std::function<std::expected<void, CoreError>(Settings&)>& edit);

  std::filesystem::path path_;
  std::unique_ptr<std::shared_mutex> lock_;
  std::unique_ptr<std::mutex> changing_;
  Settings settings_;
};

}  // namespace tavelin
