#pragma once

// A scripted desktop: running applications, installed applications, windows
// with their attributes, and screens, all set up by the test, with every call
// that changes something recorded for the test to read back.

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Accessibility.hpp"
#include "platform/Screens.hpp"
#include "platform/Workspace.hpp"

namespace tavelin::app::testing {

class FakeApp final : public RunningApplication {
 public:
  FakeApp(int pid, std::optional<std::string> name, std::optional<std::string> bundleId)
      : pid_(pid), name_(std::move(name)), bundleId_(std::move(bundleId)) {}

  std::optional<std::string> localizedName() const override { return name_; }
  int processIdentifier() const override { return pid_; }
  std::optional<std::string> bundleIdentifier() const override { return bundleId_; }
  bool isTerminated() const override { return terminated; }
  bool activate() override {
    ++activations;
    if (onActivate) onActivate();
    return acceptsActivation;
  }

  bool terminated = false;
  bool acceptsActivation = true;
  int activations = 0;
  std::function<void()> onActivate;

 private:
  int pid_;
  std::optional<std::string> name_;
  std::optional<std::string> bundleId_;
};

class FakeWindow final : public AccessibilityElement {
 public:
  std::optional<std::string> role = "AXWindow";
  std::optional<std::string> subrole = "AXStandardWindow";
  std::optional<Point> position;  // top-left coordinates
  std::optional<Size> size;
  int raises = 0;
};

class FakeDesktop final : public Workspace, public Accessibility, public Screens {
 public:
  // --- scripting -----------------------------------------------------------
  std::shared_ptr<FakeApp> addApp(std::optional<std::string> name, std::optional<std::string> bundleId = {});
  std::shared_ptr<FakeWindow> addWindow(const std::shared_ptr<FakeApp>& app, Rect topLeftFrame);
  void activateApp(const std::shared_ptr<FakeApp>& app);  // makes it frontmost and notifies observers
  void install(const std::string& bundleId, const std::string& url) { installed[bundleId].push_back(url); }

  std::shared_ptr<FakeApp> self = std::make_shared<FakeApp>(1, "Tavelin", "org.tavelin.Tavelin");
  std::shared_ptr<FakeApp> frontmost;
  bool trusted = true;
  std::map<std::string, std::vector<std::string>> installed;  // bundle id → urls
  std::set<std::string> applicationBundles;                   // paths that are applications
  std::vector<Screen> screenList;
  std::optional<Screen> mainScreenOverride;

  // Per application: which windows the focused/main/all attributes give.
  struct AppWindows {
    std::shared_ptr<FakeWindow> focused;
    std::shared_ptr<FakeWindow> main;
    std::vector<std::shared_ptr<FakeWindow>> all;
  };
  std::map<int, AppWindows> windowsByPid;

  // How the next openApplication answers; by default it succeeds at once, on
  // the caller's thread, with the application it finds running for the url.
  std::function<void(const std::string& url, const OpenConfiguration&, std::function<void(OpenResult)>)> openHandler;

  // --- records -------------------------------------------------------------
  struct Opened {
    std::string url;
    OpenConfiguration configuration;
  };
  std::vector<Opened> opened;
  std::vector<std::string> openedURLs;
  std::vector<std::vector<std::string>> revealed;
  int selfActivations = 0;
  std::vector<bool> trustPrompts;                 // the prompt flag of each trust check
  std::vector<std::string> accessibilityWrites;   // "position", "size", "raise", in call order

  // --- Workspace -----------------------------------------------------------
  std::optional<std::string> urlForApplication(const std::string& bundleId) const override;
  std::vector<std::string> urlsForApplications(const std::string& bundleId) const override;
  bool isApplicationBundle(const std::string& path) const override { return applicationBundles.contains(path); }
  void openApplication(const std::string& url, const OpenConfiguration& configuration,
                       std::function<void(OpenResult)> completion) override;
  RunningApplicationRef frontmostApplication() const override { return frontmost; }
  RunningApplicationRef currentApplication() const override { return self; }
  std::vector<RunningApplicationRef> runningApplications(const std::string& bundleId) const override;
  void onDidActivateApplication(std::function<void(RunningApplicationRef)> observer) override {
    activationObservers_.push_back(std::move(observer));
  }
  void activateSelf() override {
    ++selfActivations;
    frontmost = self;
  }
  void revealInFileManager(const std::vector<std::string>& paths) override { revealed.push_back(paths); }
  void openURL(const std::string& url) override { openedURLs.push_back(url); }

  // --- Accessibility ---------------------------------------------------------
  bool isProcessTrusted(bool prompt) override {
    trustPrompts.push_back(prompt);
    return trusted;
  }
  ElementRef applicationElement(int processIdentifier) override;
  ElementRef focusedWindow(const ElementRef& application) override;
  ElementRef mainWindow(const ElementRef& application) override;
  std::vector<ElementRef> windows(const ElementRef& application) override;
  std::optional<std::string> role(const ElementRef& element) override;
  std::optional<std::string> subrole(const ElementRef& element) override;
  std::optional<Point> position(const ElementRef& window) override;
  std::optional<Size> size(const ElementRef& window) override;
  void setPosition(const ElementRef& window, Point position) override;
  void setSize(const ElementRef& window, Size size) override;
  void raise(const ElementRef& window) override;

  // --- Screens -------------------------------------------------------------
  std::vector<Screen> screens() const override { return screenList; }
  std::optional<Screen> mainScreen() const override;

 private:
  struct AppElement final : AccessibilityElement {
    explicit AppElement(int p) : pid(p) {}
    int pid;
  };
  const AppWindows* windowsOf(const ElementRef& application) const;

  std::vector<std::shared_ptr<FakeApp>> apps_;
  std::vector<std::function<void(RunningApplicationRef)>> activationObservers_;
  int nextPid_ = 100;
};

}  // namespace tavelin::app::testing
