#include "platform/linux/x11/X11Workspace.hpp"

#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "runtime/Log.hpp"

namespace tavelin::app {
namespace {

std::uint8_t eventType(const xcb_generic_event_t* event) { return event->response_type & 0x7f; }

// The time of an event caused by the user or the server, for requests that
// the window manager weighs by time.
xcb_timestamp_t eventTime(const xcb_generic_event_t* event) {
  switch (eventType(event)) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE:
    case XCB_MOTION_NOTIFY:
    case XCB_ENTER_NOTIFY:
    case XCB_LEAVE_NOTIFY:
      // These share one layout up to the time field.
      return reinterpret_cast<const xcb_key_press_event_t*>(event)->time;
    case XCB_PROPERTY_NOTIFY:
      return reinterpret_cast<const xcb_property_notify_event_t*>(event)->time;
    default:
      return XCB_CURRENT_TIME;
  }
}

}  // namespace

X11Workspace::X11Workspace(xcb_connection_t* connection, int screenNumber)
    : windows_(std::make_shared<ClientWindows>(connection, screenNumber)) {
  EwmhConnection& ewmh = windows_->ewmh();
  if (!ewmh.connected()) return;
  // The mask is per client: keep whatever this connection already selects on
  // the root (Qt selects its own events there).
  xcb_generic_error_t* error = nullptr;
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, ewmh.root()), &error);
  const std::uint32_t mask =
      (attributes != nullptr ? attributes->your_event_mask : 0u) | XCB_EVENT_MASK_PROPERTY_CHANGE;
  std::free(attributes);
  std::free(error);
  std::free(xcb_request_check(connection,
                              xcb_change_window_attributes_checked(connection, ewmh.root(), XCB_CW_EVENT_MASK, &mask)));
  // The application already in front is not news.
  lastActive_ = std::dynamic_pointer_cast<X11RunningApplication>(frontmostApplication());
}

bool X11Workspace::handleEvent(const xcb_generic_event_t* event) {
  if (event == nullptr) return false;
  windows_->noteTime(eventTime(event));
  if (eventType(event) != XCB_PROPERTY_NOTIFY) return false;
  const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
  const EwmhConnection& ewmh = windows_->ewmh();
  if (!ewmh.connected() || change->window != ewmh.root() || change->atom != ewmh.atoms()._NET_ACTIVE_WINDOW) {
    return false;
  }
  activeWindowChanged();
  return true;
}

void X11Workspace::activeWindowChanged() {
  const auto front = std::dynamic_pointer_cast<X11RunningApplication>(frontmostApplication());
  if (front == lastActive_.lock()) return;
  // Focus on no window at all (the desktop) clears the record, so that the
  // same application coming back counts as an activation again.
  lastActive_ = front;
  if (!front) return;
  // An observer may add observers; those hear the next activation.
  const std::size_t count = observers_.size();
  for (std::size_t i = 0; i < count; ++i) observers_[i](front);
}

std::shared_ptr<X11RunningApplication> X11Workspace::handleFor(int pid, bool hasWindow) const {
  auto& slot = registry_[pid];
  if (!slot || slot->refresh(hasWindow)) {
    slot = std::make_shared<X11RunningApplication>(windows_, pid, pid == ::getpid());
  }
  return slot;
}

void X11Workspace::identify(X11RunningApplication& application, const std::vector<xcb_window_t>& windows) const {
  if (application.hasIdentity() || windows.empty()) return;
  EwmhConnection& ewmh = windows_->ewmh();
  std::vector<WindowIdentity> identities;
  for (const xcb_window_t window : windows) {
    const EwmhConnection::WindowClass wmClass = ewmh.windowClass(window);
    identities.push_back({wmClass.instance, wmClass.className, ewmh.gtkApplicationId(window)});
  }
  const std::vector<DesktopEntry> installed = entries_.all();
  for (const WindowIdentity& identity : identities) {
    if (const auto entry = matchWindow(installed, identity)) {
      application.setIdentity({entry->name, entry->id});
      return;
    }
  }
  // No entry owns up to it: the class is the application's own name for
  // itself, conventionally capitalised. A window without one leaves it
  // nameless, and it is not asked again.
  for (const WindowIdentity& identity : identities) {
    if (identity.className || identity.instance) {
      return application.setIdentity({identity.className ? identity.className : identity.instance, std::nullopt});
    }
  }
  application.setIdentity({});
}

std::optional<std::string> X11Workspace::urlForApplication(const std::string& bundleId) const {
  const auto entry = entries_.find(bundleId);
  if (!entry) return std::nullopt;
  return entry->path;
}

// An installation here is the program its entries start, which is what the
// bundle's path names for the running copy; comparing entry files with an
// executable would find "another copy" in every installed Tavelin.
std::vector<std::string> X11Workspace::urlsForApplications(const std::string& bundleId) const {
  return entries_.installedPrograms(bundleId);
}

bool X11Workspace::isApplicationBundle(const std::string& path) const {
  return DesktopEntries::isApplicationBundle(path);
}

void X11Workspace::openApplication(const std::string& url, const OpenConfiguration& configuration,
                                   std::function<void(OpenResult)> completion) {
  const auto entry = url.ends_with(".desktop") ? entries_.entryAt(url) : std::nullopt;
  if (!entry) {
    if (DesktopEntries::isApplicationBundle(url) && !url.ends_with(".desktop")) {
      const std::string name = DesktopEntries::displayName(url);
      return completion({nullptr, name + " is an application bundle of another system; it cannot run here."});
    }
    // GIO also refuses an entry whose program is not installed.
    return completion({nullptr, url + " is not an application entry that can be started."});
  }
  if (!configuration.createsNewInstance) {
    const std::vector<RunningApplicationRef> running = runningApplications(entry->id);
    if (!running.empty()) {
      // A copy with no window yet is still starting: it is the one all the
      // same, and comes forward by itself.
      running.front()->activate();
      return completion({running.front(), std::nullopt});
    }
  }
  const auto pid = entries_.launch(url, configuration.arguments);
  if (!pid) return completion({nullptr, pid.error()});
  const std::shared_ptr<X11RunningApplication> launched = handleFor(*pid, false);
  launched->setIdentity({entry->name, entry->id});
  completion({launched, std::nullopt});
}

RunningApplicationRef X11Workspace::frontmostApplication() const {
  const auto active = windows_->ewmh().activeWindow();
  const auto pid = active ? windows_->pidOf(*active) : std::nullopt;
  if (!pid) return nullptr;
  const std::shared_ptr<X11RunningApplication> application = handleFor(*pid, true);
  identify(*application, {*active});
  return application;
}

RunningApplicationRef X11Workspace::currentApplication() const { return handleFor(::getpid(), true); }

std::vector<RunningApplicationRef> X11Workspace::runningApplications(const std::string& bundleId) const {
  std::map<int, std::vector<xcb_window_t>> windowsByPid;
  std::vector<int> order;
  for (const ClientWindows::Client& client : windows_->topFirst()) {
    auto& windows = windowsByPid[client.pid];
    if (windows.empty()) order.push_back(client.pid);
    windows.push_back(client.window);
  }
  for (const int pid : order) {
    identify(*handleFor(pid, true), windowsByPid[pid]);
  }
  // Forget the processes whose windows are all gone (one started moments ago
  // has none yet and stays).
  std::erase_if(registry_,
                [&](const auto& entry) { return entry.second->refresh(windowsByPid.contains(entry.first)); });
  for (const auto& [pid, application] : registry_) {
    if (!windowsByPid.contains(pid)) order.push_back(pid);
  }

  std::vector<RunningApplicationRef> matching;
  for (const int pid : order) {
    const auto found = registry_.find(pid);
    if (found == registry_.end()) continue;
    const auto id = found->second->bundleIdentifier();
    if (id && sameIdentifier(*id, bundleId)) matching.push_back(found->second);
  }
  return matching;
}

void X11Workspace::onDidActivateApplication(std::function<void(RunningApplicationRef)> observer) {
  observers_.push_back(std::move(observer));
}

void X11Workspace::activateSelf() {
  if (activateSelf_) return activateSelf_();
  currentApplication()->activate();
}

void X11Workspace::revealInFileManager(const std::vector<std::string>& paths) {
  // D-Bus may take its time (a file manager started on demand); nothing here
  // waits for the answer.
  std::thread([paths] {
    if (const auto shown = DesktopEntries::revealInFileManager(paths); !shown) {
      Log::warn("Could not show the files in the file manager: " + shown.error());
    }
  }).detach();
}

void X11Workspace::openURL(const std::string& url) {
  if (const auto opened = DesktopEntries::openURL(url); !opened)
    Log::info("Did not open " + url + ": " + opened.error());
}

}  // namespace tavelin::app
