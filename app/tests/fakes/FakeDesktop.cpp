#include "fakes/FakeDesktop.hpp"

namespace tavelin::app::testing {

std::shared_ptr<FakeApp> FakeDesktop::addApp(std::optional<std::string> name, std::optional<std::string> bundleId) {
  auto app = std::make_shared<FakeApp>(nextPid_++, std::move(name), std::move(bundleId));
  apps_.push_back(app);
  return app;
}

std::shared_ptr<FakeWindow> FakeDesktop::addWindow(const std::shared_ptr<FakeApp>& app, Rect topLeftFrame) {
  auto window = std::make_shared<FakeWindow>();
  window->position = topLeftFrame.origin;
  window->size = topLeftFrame.size;
  auto& entry = windowsByPid[app->processIdentifier()];
  if (!entry.focused) entry.focused = window;
  if (!entry.main) entry.main = window;
  entry.all.push_back(window);
  return window;
}

void FakeDesktop::activateApp(const std::shared_ptr<FakeApp>& app) {
  frontmost = app;
  for (const auto& observer : activationObservers_) observer(app);
}

std::optional<std::string> FakeDesktop::urlForApplication(const std::string& bundleId) const {
  auto found = installed.find(bundleId);
  if (found == installed.end() || found->second.empty()) return std::nullopt;
  return found->second.front();
}

std::vector<std::string> FakeDesktop::urlsForApplications(const std::string& bundleId) const {
  auto found = installed.find(bundleId);
  return found == installed.end() ? std::vector<std::string>{} : found->second;
}

void FakeDesktop::openApplication(const std::string& url, const OpenConfiguration& configuration,
                                  std::function<void(OpenResult)> completion) {
  opened.push_back({url, configuration});
  if (openHandler) {
    openHandler(url, configuration, std::move(completion));
    return;
  }
  completion(OpenResult{});
}

std::vector<RunningApplicationRef> FakeDesktop::runningApplications(const std::string& bundleId) const {
  std::vector<RunningApplicationRef> running;
  for (const auto& app : apps_) {
    if (app->bundleIdentifier() == bundleId) running.push_back(app);
  }
  return running;
}

ElementRef FakeDesktop::applicationElement(int processIdentifier) {
  return std::make_shared<AppElement>(processIdentifier);
}

const FakeDesktop::AppWindows* FakeDesktop::windowsOf(const ElementRef& application) const {
  const auto* element = dynamic_cast<const AppElement*>(application.get());
  if (element == nullptr) return nullptr;
  auto found = windowsByPid.find(element->pid);
  return found == windowsByPid.end() ? nullptr : &found->second;
}

ElementRef FakeDesktop::focusedWindow(const ElementRef& application) {
  const auto* windows = windowsOf(application);
  return windows ? windows->focused : nullptr;
}

ElementRef FakeDesktop::mainWindow(const ElementRef& application) {
  const auto* windows = windowsOf(application);
  return windows ? windows->main : nullptr;
}

std::vector<ElementRef> FakeDesktop::windows(const ElementRef& application) {
  const auto* windows = windowsOf(application);
  if (windows == nullptr) return {};
  return {windows->all.begin(), windows->all.end()};
}

namespace {
FakeWindow* asWindow(const ElementRef& element) { return dynamic_cast<FakeWindow*>(element.get()); }
}  // namespace

std::optional<std::string> FakeDesktop::role(const ElementRef& element) {
  auto* window = asWindow(element);
  return window ? window->role : std::nullopt;
}

std::optional<std::string> FakeDesktop::subrole(const ElementRef& element) {
  auto* window = asWindow(element);
  return window ? window->subrole : std::nullopt;
}

std::optional<Point> FakeDesktop::position(const ElementRef& element) {
  auto* window = asWindow(element);
  return window ? window->position : std::nullopt;
}

std::optional<Size> FakeDesktop::size(const ElementRef& element) {
  auto* window = asWindow(element);
  return window ? window->size : std::nullopt;
}

void FakeDesktop::setPosition(const ElementRef& element, Point position) {
  accessibilityWrites.push_back("position");
  if (auto* window = asWindow(element)) window->position = position;
}

void FakeDesktop::setSize(const ElementRef& element, Size size) {
  accessibilityWrites.push_back("size");
  if (auto* window = asWindow(element)) window->size = size;
}

void FakeDesktop::raise(const ElementRef& element) {
  accessibilityWrites.push_back("raise");
  if (auto* window = asWindow(element)) ++window->raises;
}

std::optional<Screen> FakeDesktop::mainScreen() const {
  if (mainScreenOverride) return mainScreenOverride;
  if (screenList.empty()) return std::nullopt;
  return screenList.front();
}

}  // namespace tavelin::app::testing
