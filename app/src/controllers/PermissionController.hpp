#pragma once

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/Bundle.hpp"
#include "platform/MainQueue.hpp"
#include "platform/PermissionProbe.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Published.hpp"

namespace tavelin::app {

// In this order wherever permissions are listed.
enum class Permission { accessibility, inputMonitoring, fullDiskAccess };

inline constexpr std::array<Permission, 3> allPermissions{Permission::accessibility, Permission::inputMonitoring,
                                                          Permission::fullDiskAccess};

// The name in log lines: "accessibility", "inputMonitoring", "fullDiskAccess".
std::string_view permissionRawValue(Permission permission);

// The System Settings page on which the user grants `permission`.
std::string settingsURL(Permission permission);

using PermissionSet = std::set<Permission>;

// What the controller needs of the world; all of it outlives the controller.
struct PermissionEnvironment {
  PermissionProbe& probe;
  Workspace& workspace;
  const Bundle& bundle;
  MainQueue& main;
};

// Knows which permissions the system has granted, keeps that current by
// polling, logs what changed, and helps the user grant what is missing.
// Main thread only.
class PermissionController : public std::enable_shared_from_this<PermissionController> {
  struct Token {
    explicit Token() = default;
  };

 public:
  static constexpr double pollInterval = 3;
  // How long the system's accessibility prompt gets before we look again.
  static constexpr double recheckDelay = 0.3;

  // Checks at once, then every pollInterval seconds and each time the
  // application becomes active.
  static std::shared_ptr<PermissionController> start(PermissionEnvironment environment);

  // The instance the application runs on, once start-up has made it.
  static std::shared_ptr<PermissionController>& shared();

  // What the last check found; empty before the first.
  Published<PermissionSet>& granted() { return granted_; }

  // Accessibility and Input Monitoring are what the chords and window moves
  // need; Full Disk Access only matters to some commands.
  bool isOperational() const;

  // Checks now; publishes and logs only when the answer changed.
  void refresh();

  // Asks the system for `permission`, falling back to its Settings page.
  void request(Permission permission);
  void openSettings(Permission permission);

  // Another installed copy of the application, which shares our row in
  // System Settings: the first location that is not ours, or none.
  std::optional<std::string> otherInstall() const;

  PermissionController(Token, PermissionEnvironment environment);

 private:
  PermissionSet check();
  void schedulePoll();

  PermissionEnvironment environment_;
  Published<PermissionSet> granted_;
  std::unique_ptr<DelayedCall> poll_;
  std::unique_ptr<DelayedCall> recheck_;
};

}  // namespace tavelin::app
