#include "controllers/WindowManager.hpp"

#include <cmath>
#include <utility>
#include <vector>

namespace tavelin::app {

namespace {
const char* const notTrusted = "Tavelin needs Accessibility access to move windows. Settings \u25B8 Permission.";
const char* const noApplication = "There is no other window in front to move.";
const char* const noStandardWindow = " has no standard window in front.";
const char* const noScreen = "Could not tell which display that window is on.";
const char* const noFrame = "Could not read that window's position.";
const char* const oneDisplay = "There is only one display.";
}  // namespace

WindowManager::WindowManager(Workspace& workspace, Accessibility& accessibility, Screens& screens)
    : workspace_(workspace), accessibility_(accessibility), screens_(screens) {}

std::optional<std::string> WindowManager::perform(WindowAction action, RunningApplicationRef targetApp) {
  if (!accessibility_.isProcessTrusted(false)) return notTrusted;

  const RunningApplicationRef app = targetApp ? std::move(targetApp) : workspace_.frontmostApplication();
  if (!app || app == workspace_.currentApplication()) return noApplication;

  const ElementRef window = focusedWindow(*app);
  if (!window) return app->localizedName().value_or("That application") + noStandardWindow;

  const std::optional<Screen> screen = this->screen(window);
  // A screen with no area at all has nowhere to put the window.
  if (!screen || !usableArea(*screen)) return noScreen;

  const std::optional<Rect> frame = cocoaFrame(window);
  if (!frame) return noFrame;

  accessibility_.raise(window);
  const std::optional<Rect> moved = geometry_.apply(action, *frame, *screen, screens_.screens());
  if (!moved) return oneDisplay;
  setCocoaFrame(*moved, window);
  return std::nullopt;
}

ElementRef WindowManager::focusedWindow(const RunningApplication& application) {
  const ElementRef element = accessibility_.applicationElement(application.processIdentifier());
  if (!element) return nullptr;
  for (ElementRef candidate : {accessibility_.focusedWindow(element), accessibility_.mainWindow(element)}) {
    if (candidate && isStandardWindow(candidate)) return candidate;
  }
  for (const ElementRef& candidate : accessibility_.windows(element)) {
    if (candidate && isStandardWindow(candidate)) return candidate;
  }
  return nullptr;
}

bool WindowManager::isStandardWindow(const ElementRef& element) {
  // Dialogs, sheets and floating panels are windows too, but not ones to lay
  // out; only an element that says nothing of its subrole is judged by role.
  if (const auto subrole = accessibility_.subrole(element)) return *subrole == "AXStandardWindow";
  return accessibility_.role(element) == "AXWindow";
}

std::optional<Rect> WindowManager::cocoaFrame(const ElementRef& window) {
  const auto position = accessibility_.position(window);
  const auto size = accessibility_.size(window);
  if (!position || !size) return std::nullopt;
  // A non-finite reading would turn every result into NaN or infinity.
  if (!std::isfinite(position->x) || !std::isfinite(position->y) || !std::isfinite(size->width) ||
      !std::isfinite(size->height) || !(size->width > 0) || !(size->height > 0)) {
    return std::nullopt;
  }
  return flip(Rect{*position, *size}, screens_.screens());
}

void WindowManager::setCocoaFrame(const Rect& frame, const ElementRef& window) {
  // Moving first lets the size be taken at the new place, where it fits.
  const Rect topLeft = flip(frame, screens_.screens());
  accessibility_.setPosition(window, topLeft.origin);
  accessibility_.setSize(window, topLeft.size);
}

std::optional<Screen> WindowManager::screen(const ElementRef& window) {
  const std::vector<Screen> all = screens_.screens();
  const std::optional<Rect> frame = cocoaFrame(window);
  if (frame && !all.empty()) return all[*screenIndexFor(*frame, all)];
  return screens_.mainScreen();
}

}  // namespace tavelin::app
