#include "controllers/MainWindowController.hpp"

#include <charconv>
#include <cmath>
#include <string>
#include <utility>

#include "runtime/Core.hpp"
#include "runtime/Log.hpp"

namespace tavelin::app {
namespace {

// A size as a whole number of points, the fraction dropped.
std::string whole(double points) {
  char text[400];
  const auto written = std::to_chars(text, text + sizeof text, std::trunc(points), std::chars_format::fixed, 0);
  return written.ec == std::errc{} ? std::string(text, written.ptr) : std::string("?");
}

std::string asciiLowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

std::shared_ptr<MainWindowController>& MainWindowController::shared() {
  static std::shared_ptr<MainWindowController> instance;
  return instance;
}

MainWindowController::MainWindowController(Dependencies dependencies)
    : core_(dependencies.core),
      workspace_(dependencies.workspace),
      keyMonitors_(dependencies.keyMonitors),
      windows_(dependencies.windows),
      showSettings_(std::move(dependencies.showSettings)) {}

std::shared_ptr<MainWindowController> MainWindowController::make(Dependencies dependencies) {
  MainQueue& main = dependencies.main;
  RunAction run = std::move(dependencies.run);
  auto controller = std::make_shared<MainWindowController>(std::move(dependencies));
  std::weak_ptr<MainWindowController> weak = controller;
  // A fired sequence takes the window down with the focus returned before its
  // action runs.
  controller->session_ = SequenceSession::make(controller->core_, main, std::move(run), [weak] {
    auto self = weak.lock();
    if (self && self->isVisible()) self->hide(true);
  });
  return controller;
}

// Handles may be fresh objects for the same process, so the process decides.
bool MainWindowController::isSelf(const RunningApplicationRef& app) const {
  const RunningApplicationRef self = workspace_.currentApplication();
  return app == self || (app && self && app->processIdentifier() == self->processIdentifier());
}

RunningApplicationRef MainWindowController::otherFrontmost() const {
  RunningApplicationRef front = workspace_.frontmostApplication();
  return isSelf(front) ? nullptr : front;
}

void MainWindowController::build() {
  if (window_) return;
  const WindowSize size = core_.settings().main_window;
  std::weak_ptr<MainWindowController> weak = weak_from_this();
  TypingWindowEvents events{
      .didResignKey =
          [weak](const TypingWindow& window) {
            if (auto self = weak.lock()) self->windowDidResignKey(window);
          },
      .chooseViewType =
          [weak](ViewType viewType) {
            if (auto self = weak.lock()) self->setViewType(viewType);
          },
  };
  window_ = windows_.build(size, kWindowStyle, session_, std::move(events));
  window_->center();
  window_->orderOut();

  lastOtherApp_ = otherFrontmost();
  workspace_.onDidActivateApplication([weak](RunningApplicationRef app) {
    auto self = weak.lock();
    if (!self || !app || self->isSelf(app)) return;
    self->lastOtherApp_ = std::move(app);
  });
  observers_.push_back(core_.published().subscribe<MainWindowController>(
      weak, [](MainWindowController& self, const Settings& settings) { self.mainWindowPublished(settings.main_window); }));

  Log::debug("Main window built at " + whole(size.width) + "×" + whole(size.height) + ".");
}

void MainWindowController::mainWindowPublished(WindowSize size) {
  if (observedSize_ == size) return;
  observedSize_ = size;
  window_->setContentSize(size);
  if (window_->isVisible()) window_->center();
}

void MainWindowController::captureFrontmostApp() {
  session_->setPreviousApp(otherFrontmost());
  const RunningApplicationRef& previous = session_->previousApp();
  if (!previous) return;
  if (auto name = previous->localizedName()) Log::debug("Frontmost before activation: " + *name);
}

void MainWindowController::show() {
  if (!window_) return;
  session_->reset();
  window_->center();
  window_->makeKeyAndOrderFront();
  workspace_.activateSelf();
  stopKeyMonitor();
  startKeyMonitor();
}

void MainWindowController::startKeyMonitor() {
  std::weak_ptr<MainWindowController> weak = weak_from_this();
  keyMonitor_ = keyMonitors_.addLocalKeyDownMonitor([weak](const KeyEvent& event) {
    auto self = weak.lock();
    return self && self->handle(event);
  });
}

void MainWindowController::stopKeyMonitor() { keyMonitor_.reset(); }

void MainWindowController::toggle() {
  if (isVisible()) {
    hide(true);
    return;
  }
  captureFrontmostApp();
  show();
}

void MainWindowController::showFromMenuBar() {
  if (isVisible()) return;
  captureFrontmostApp();
  // The menu is usually opened from Tavelin itself in front (its settings
  // window, say): the application to return to is the last other one.
  if (!session_->previousApp()) session_->setPreviousApp(lastOtherApp_);
  show();
}

void MainWindowController::hide(bool restoringFocus) {
  if (!isVisible()) return;
  stopKeyMonitor();
  window_->orderOut();
  if (restoringFocus) {
    // A copy: activating may notify observers that capture anew.
    const RunningApplicationRef previous = session_->previousApp();
    if (previous && !isSelf(previous) && !previous->isTerminated()) (void)previous->activate();
  }
  session_->reset();
}

void MainWindowController::windowDidResignKey(const TypingWindow& window) {
  if (&window == window_.get() && window_->isVisible()) hide(false);
}

void MainWindowController::setViewType(ViewType viewType) {
  auto changed = core_.store().set_view_type(viewType);
  if (!changed) {
    Log::warn("Config change refused: " + humanMessage(changed.error()));
    return;
  }
  core_.adopt(std::move(*changed));
}

bool MainWindowController::handle(const KeyEvent& event) {
  const std::uint32_t held = event.modifiers & (shift_key | control_key | option_key | cmd_key);
  const bool commandOnly = held == cmd_key;
  const std::string& bare = event.charactersIgnoringModifiers;

  // ⌘Q belongs to the application: quitting must work with the window up.
  if (commandOnly && asciiLowered(bare) == "q") return false;
  if (event.keyCode == kKeyCodeEscape) {
    hide(true);
    return true;
  }
  if (event.keyCode == kKeyCodeDelete) {
    session_->backspace();
    return true;
  }
  if (commandOnly) {
    if (bare == ",") {
      // The settings window takes the screen; nothing to return to.
      hide(false);
      if (showSettings_) showSettings_(std::nullopt);
      return true;
    }
    static constexpr std::pair<const char*, ViewType> layouts[] = {
        {"1", ViewType::Compact}, {"2", ViewType::Grid}, {"3", ViewType::List}};
    for (const auto& [key, viewType] : layouts) {
      if (bare == key) {
        setViewType(viewType);
        return true;
      }
    }
  }
  if ((held & (control_key | option_key | cmd_key)) != 0) return false;
  if (event.characters.empty() || !accepts_key(event.characters)) return false;
  session_->press(event.characters);
  return true;
}

}  // namespace tavelin::app
