#pragma once

#include <chrono>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <tavelin/core.hpp>

#include "platform/Dialogs.hpp"
#include "platform/FolderWatch.hpp"
#include "platform/MainQueue.hpp"
#include "runtime/ConfigWatcher.hpp"
#include "runtime/Published.hpp"

namespace tavelin::app {

// An error as a person should read it.
std::string humanMessage(const CoreError& error);

// An error as its value describes itself, for the log: Parse(message: "…").
std::string debugDescription(const CoreError& error);

// Where an unreadable configuration is moved: "…/config.json" becomes
// "…/config.broken-2024-05-17T08-03-09Z.json" for that moment in UTC.
std::string setAsidePath(const std::string& path, std::chrono::system_clock::time_point when);

// What the core needs of the world; tests hand in fakes.
struct CoreEnvironment {
  MainQueue& main;
  FolderWatch& folders;
  Dialogs& dialogs;
  std::string path = config_path();
  std::function<std::chrono::system_clock::time_point()> now = [] { return std::chrono::system_clock::now(); };
  // Ends the process; tests record the status instead.
  std::function<void(int)> exit = [](int status) { std::exit(status); };
};

// The application's one owner of the configuration store and the resolver,
// publishing the settings in force.
class Core : public std::enable_shared_from_this<Core> {
 public:
  // Opens the store, setting an unreadable file aside. When even the defaults
  // cannot be saved it shows the fatal alert and ends the process (status 1);
  // the result is then empty.
  static std::shared_ptr<Core> start(CoreEnvironment environment);

  // The instance the application runs on, once main has started it.
  static std::shared_ptr<Core>& shared();

  Store& store() { return *store_; }
  Resolver& resolver() { return resolver_; }
  const Settings& settings() const { return settings_.value(); }
  Published<Settings>& published() { return settings_; }
  const std::optional<std::string>& recoveredFrom() const { return recoveredFrom_; }
  const ConfigWatcher* watcher() const { return watcher_.get(); }

  // Takes settings the store returned: the resolver first, then subscribers.
  void adopt(Settings settings);
  std::expected<Settings, CoreError> reload();
  void watchConfig();
  void adoptFromDisk();

  Core(CoreEnvironment environment, Store store, std::optional<std::string> recoveredFrom);

 private:
  CoreEnvironment environment_;
  std::optional<Store> store_;
  Resolver resolver_;
  Published<Settings> settings_;
  std::optional<std::string> recoveredFrom_;
  std::unique_ptr<ConfigWatcher> watcher_;
};

}  // namespace tavelin::app
