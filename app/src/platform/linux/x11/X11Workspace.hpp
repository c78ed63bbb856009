#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <map>
#include <memory>

#include "platform/Workspace.hpp"
#include "platform/linux/gio/DesktopEntries.hpp"
#include "platform/linux/x11/ClientWindows.hpp"
#include "platform/linux/x11/X11RunningApplication.hpp"

namespace tavelin::app {

// The workspace of an X11 desktop under an EWMH window manager: running
// applications are the processes owning managed top-level windows, installed
// ones are desktop entries. Call it on one thread (the main one), the one
// that reads the connection's events.
class X11Workspace final : public Workspace {
 public:
  // `connection` stays the caller's and must outlive the workspace. Adds
  // property changes on the root window to the events this connection
  // already selects there, for the activation notification.
  explicit X11Workspace(xcb_connection_t* connection, int screenNumber = 0);

  // Every event read from the connection goes through here. A change of the
  // active window notifies the activation observers when another application
  // has come forward, and gives true; anything else gives false. Either way
  // the event is only looked at: pass it on to whoever else reads events.
  // The change names no window, so the application is the one in front when
  // the event is handled.
  bool handleEvent(const xcb_generic_event_t* event);

  // How this application brings itself forward (its windows are the
  // toolkit's). Without it, its own topmost window is activated.
  void setActivateSelf(std::function<void()> hook) { activateSelf_ = std::move(hook); }

  std::optional<std::string> urlForApplication(const std::string& bundleId) const override;
  std::vector<std::string> urlsForApplications(const std::string& bundleId) const override;
  bool isApplicationBundle(const std::string& path) const override;
  // Completes before returning, on the caller's thread.
  void openApplication(const std::string& url, const OpenConfiguration& configuration,
                       std::function<void(OpenResult)> completion) override;

  RunningApplicationRef frontmostApplication() const override;
  RunningApplicationRef currentApplication() const override;
  std::vector<RunningApplicationRef> runningApplications(const std::string& bundleId) const override;
  void onDidActivateApplication(std::function<void(RunningApplicationRef)> observer) override;

  void activateSelf() override;
  // Returns at once; the file manager is asked from a thread of its own, and
  // a failure is logged.
  void revealInFileManager(const std::vector<std::string>& paths) override;
  // A failure, or a URL with no meaning here, is logged.
  void openURL(const std::string& url) override;

 private:
  // The one handle of the process, made afresh when the old one has ended.
  std::shared_ptr<X11RunningApplication> handleFor(int pid, bool hasWindow) const;
  // Names the application from its windows, once.
  void identify(X11RunningApplication& application, const std::vector<xcb_window_t>& windows) const;
  void activeWindowChanged();

  std::shared_ptr<ClientWindows> windows_;
  DesktopEntries entries_;
  mutable std::map<int, std::shared_ptr<X11RunningApplication>> registry_;
  std::vector<std::function<void(RunningApplicationRef)>> observers_;
  std::weak_ptr<X11RunningApplication> lastActive_;
  std::function<void()> activateSelf_;
};

}  // namespace tavelin::app
