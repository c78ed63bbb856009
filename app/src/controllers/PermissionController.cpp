#include "controllers/PermissionController.hpp"

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "runtime/Log.hpp"
#include "runtime/Status.hpp"

namespace tavelin::app {
namespace {

// Escape with ⌃⌥⇧⌘: a chord nobody uses, so a refusal means the system is
// withholding global keys rather than that another application holds it.
const ProbeHotKey inputMonitoringProbe{.keyCode = 53, .modifiers = 6912, .signature = "TVPR", .id = 999};

// Only a process with Full Disk Access may read the privacy database.
constexpr std::string_view fullDiskAccessProbeFile = "/Library/Application Support/com.apple.TCC/TCC.db";

// The raw names of the permissions in `from` and not in `without`, in text
// order, joined for a log line.
std::string namesOfDifference(const PermissionSet& from, const PermissionSet& without) {
  std::vector<std::string_view> names;
  for (Permission permission : from) {
    if (!without.contains(permission)) names.push_back(permissionRawValue(permission));
  }
  std::ranges::sort(names);
  std::string joined;
  for (std::string_view name : names) {
    if (!joined.empty()) joined += ", ";
    joined += name;
  }
  return joined;
}

// The same location however it is spelt: no "." or "..", no doubled or
// trailing slash.
std::string standardised(const std::string& location) {
  std::string path = std::filesystem::path(location).lexically_normal().string();
  while (path.size() > 1 && path.ends_with('/')) path.pop_back();
  return path;
}

}  // namespace

std::string_view permissionRawValue(Permission permission) {
  switch (permission) {
    case Permission::accessibility: return "accessibility";
    case Permission::inputMonitoring: return "inputMonitoring";
    case Permission::fullDiskAccess: return "fullDiskAccess";
  }
  return "accessibility";
}

std::string settingsURL(Permission permission) {
  std::string url = "x-apple.systempreferences:com.apple.preference.security?";
  switch (permission) {
    case Permission::accessibility: return url + "Privacy_Accessibility";
    case Permission::inputMonitoring: return url + "Privacy_ListenEvent";
    case Permission::fullDiskAccess: return url + "Privacy_AllFiles";
  }
  return url;
}

std::shared_ptr<PermissionController> PermissionController::start(PermissionEnvironment environment) {
  auto controller = std::make_shared<PermissionController>(Token{}, environment);
  controller->refresh();
  controller->schedulePoll();
  environment.workspace.onDidBecomeActive([weak = controller->weak_from_this()] {
    if (auto self = weak.lock()) self->refresh();
  });
  return controller;
}

std::shared_ptr<PermissionController>& PermissionController::shared() {
  static std::shared_ptr<PermissionController> instance;
  return instance;
}

PermissionController::PermissionController(Token, PermissionEnvironment environment) : environment_(environment) {}

bool PermissionController::isOperational() const {
  const PermissionSet& now = granted_.value();
  return now.contains(Permission::accessibility) && now.contains(Permission::inputMonitoring);
}

PermissionSet PermissionController::check() {
  PermissionProbe& probe = environment_.probe;
  PermissionSet found;
  if (probe.isAccessibilityTrusted(false)) found.insert(Permission::accessibility);
  // Without a global monitor the hot key would tell us nothing.
  if (probe.installsGlobalKeyMonitor() && probe.registersHotKey(inputMonitoringProbe)) {
    found.insert(Permission::inputMonitoring);
  }
  if (probe.isReadableFile(std::string(fullDiskAccessProbeFile))) found.insert(Permission::fullDiskAccess);
  return found;
}

void PermissionController::refresh() {
  PermissionSet next = check();
  const PermissionSet previous = granted_.value();
  if (next == previous) return;
  const std::string gained = namesOfDifference(next, previous);
  const std::string lost = namesOfDifference(previous, next);
  granted_.set(std::move(next));
  if (!gained.empty()) Log::info(std::string(statusWord(Status::granted)) + " " + gained);
  if (!lost.empty()) Log::warn(std::string(statusWord(Status::blocked)) + " " + lost);
}

// Each tick books the next one, so there is only ever one pending and it goes
// with the controller.
void PermissionController::schedulePoll() {
  poll_ = environment_.main.after(pollInterval, [weak = weak_from_this()] {
    if (auto self = weak.lock()) {
      self->schedulePoll();
      self->refresh();
    }
  });
}

void PermissionController::request(Permission permission) {
  switch (permission) {
    case Permission::accessibility:
      // The system's prompt shows over the front application, so come forward
      // first; the user answers it outside our control, hence the look later.
      environment_.workspace.activateSelf();
      environment_.probe.isAccessibilityTrusted(true);
      recheck_ = environment_.main.after(recheckDelay, [weak = weak_from_this()] {
        if (auto self = weak.lock()) {
          self->refresh();
          if (!self->granted_.value().contains(Permission::accessibility)) {
            self->openSettings(Permission::accessibility);
          }
        }
      });
      return;
    case Permission::inputMonitoring:
      environment_.probe.attemptKeyEventTap();
      openSettings(Permission::inputMonitoring);
      return;
    case Permission::fullDiskAccess:
      openSettings(Permission::fullDiskAccess);
      return;
  }
}

void PermissionController::openSettings(Permission permission) {
  environment_.workspace.openURL(settingsURL(permission));
}

std::optional<std::string> PermissionController::otherInstall() const {
  const std::string identifier = environment_.bundle.bundleIdentifier();
  if (identifier.empty()) return std::nullopt;
  const std::string own = standardised(environment_.bundle.path());
  for (const std::string& url : environment_.workspace.urlsForApplications(identifier)) {
    if (url.empty()) continue;
    std::string location = standardised(url);
    if (location != own) return location;
  }
  return std::nullopt;
}

}  // namespace tavelin::app
