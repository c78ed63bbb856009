#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <tavelin/config.hpp>

#include "controllers/ActionRunner.hpp"
#include "platform/KeyEvent.hpp"
#include "platform/KeyMonitors.hpp"
#include "platform/MainQueue.hpp"
#include "platform/TypingWindow.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Published.hpp"
#include "runtime/SequenceSession.hpp"

namespace tavelin::app {

class Core;

// The typing window: when it comes up and goes away, which application gets
// the focus back, and what each key press means. The window itself only draws
// and reports. Main thread only.
class MainWindowController : public std::enable_shared_from_this<MainWindowController> {
 public:
  // Opens the settings window, on a particular tab or on the one it shows.
  using ShowSettings = std::function<void(std::optional<int> tab)>;

  struct Dependencies {
    Core& core;
    Workspace& workspace;
    MainQueue& main;
    KeyMonitors& keyMonitors;
    TypingWindowFactory& windows;
    RunAction run;
    ShowSettings showSettings;
  };

  static constexpr TypingWindowStyle kWindowStyle{};

  // Makes the controller with its session; the window comes with build().
  static std::shared_ptr<MainWindowController> make(Dependencies dependencies);

  // The instance the application runs on, once main has made it.
  static std::shared_ptr<MainWindowController>& shared();

  // Makes the window, hidden, and starts following the other applications'
  // activations and the configured window size. Once; later calls do nothing.
  void build();
  // The activation chord: up when down, down (focus back) when up.
  void toggle();
  // The menu's Open item: when Tavelin itself is in front, returns to the last
  // other application that was.
  void showFromMenuBar();
  // Takes the window down, giving the focus back to the application that was
  // in front when `restoringFocus`; the session is reset either way.
  void hide(bool restoringFocus);
  void windowDidResignKey(const TypingWindow& window);
  // One key press while the window is up; true when consumed.
  bool handle(const KeyEvent& event);
  // ⌘1 to ⌘3 and the view's layout switch.
  void setViewType(ViewType viewType);

  SequenceSession& session() { return *session_; }
  bool isVisible() const { return window_ && window_->isVisible(); }
  bool isMonitoringKeys() const { return keyMonitor_ != nullptr; }
  const RunningApplicationRef& lastOtherApp() const { return lastOtherApp_; }

  explicit MainWindowController(Dependencies dependencies);

 private:
  bool isSelf(const RunningApplicationRef& app) const;
  RunningApplicationRef otherFrontmost() const;
  void captureFrontmostApp();
  void show();
  void startKeyMonitor();
  void stopKeyMonitor();
  void mainWindowPublished(WindowSize size);

  Core& core_;
  Workspace& workspace_;
  KeyMonitors& keyMonitors_;
  TypingWindowFactory& windows_;
  ShowSettings showSettings_;

  std::shared_ptr<SequenceSession> session_;
  std::unique_ptr<TypingWindow> window_;
  std::unique_ptr<KeyMonitorToken> keyMonitor_;
  std::vector<Subscription> observers_;
  std::optional<WindowSize> observedSize_;
  RunningApplicationRef lastOtherApp_;
};

}  // namespace tavelin::app
