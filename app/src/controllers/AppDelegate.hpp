#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <tavelin/config.hpp>

#include "controllers/HotkeyController.hpp"
#include "controllers/MainWindowController.hpp"
#include "controllers/PermissionController.hpp"
#include "platform/Bundle.hpp"
#include "runtime/Core.hpp"
#include "runtime/Published.hpp"

namespace tavelin::app {

// Brings the subsystems up in a fixed order once the application has launched,
// and takes them down at termination.
class AppDelegate {
 public:
  // The settings window's tabs, by number.
  static constexpr int kGeneralTab = 0;
  static constexpr int kPermissionsTab = 4;

  using ShowSettings = std::function<void(std::optional<int> tab)>;
  using SetAppearance = std::function<void(Appearance)>;

  struct Dependencies {
    const Bundle& bundle;
    Core& core;
    MainWindowController& mainWindow;
    HotkeyController& hotkeys;
    PermissionController& permissions;
    ShowSettings showSettings;
    SetAppearance setAppearance;
  };

  explicit AppDelegate(Dependencies dependencies);

  void applicationDidFinishLaunching();
  void applicationWillTerminate();
  // Opened again while running: the settings, on whichever tab they last had.
  bool applicationShouldHandleReopen();

 private:
  void followAppearance();
  void reregisterWhenChordsChange();

  Dependencies d_;
  std::vector<Subscription> observers_;
};

// The version text of the start line: the bundle's short version, or "?".
std::string versionText(const Bundle& bundle);

}  // namespace tavelin::app
