#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controllers/PermissionController.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/FakePermissionProbe.hpp"
#include "fakes/LogRecorder.hpp"
#include "fakes/ManualClock.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Line = testing::LogRecorder::Line;
using enum Permission;

const std::string tccDatabase = "/Library/Application Support/com.apple.TCC/TCC.db";
const std::string settingsPrefix = "x-apple.systempreferences:com.apple.preference.security?";

class FixedBundle final : public Bundle {
 public:
  std::optional<std::string> shortVersion() const override { return "1.0"; }
  std::optional<std::string> buildVersion() const override { return "1"; }
  std::string path() const override { return location; }
  std::string bundleIdentifier() const override { return identifier; }

  std::string identifier = "org.tavelin.Tavelin";
  std::string location = "/Applications/Tavelin.app";
};

// The fakes a controller runs on, and a count of what it published after
// start-up.
struct Rig {
  void systemGrants(const PermissionSet& permissions) {
    probe.trusted = permissions.contains(accessibility);
    probe.keyMonitorInstalls = probe.hotKeyRegisters = permissions.contains(inputMonitoring);
    probe.readableFiles.clear();
    if (permissions.contains(fullDiskAccess)) probe.readableFiles.insert(tccDatabase);
  }

  std::shared_ptr<PermissionController> start() {
    auto controller = PermissionController::start({probe, desktop, bundle, clock});
    subscription = controller->granted().subscribe([this](const PermissionSet&) { ++publications; });
    publications = 0;  // the subscription's own first delivery
    return controller;
  }

  testing::FakePermissionProbe probe;
  testing::FakeDesktop desktop;
  testing::ManualClock clock;
  FixedBundle bundle;
  testing::LogRecorder log;
  Subscription subscription;
  int publications = 0;
};

TEST(PermissionController, EachPermissionIsFoundByItsOwnProbe) {
  const ProbeHotKey escapeWithAllModifiers{.keyCode = 53, .modifiers = 6912, .signature = "TVPR", .id = 999};
  struct Case {
    const char* name;
    bool trusted, monitor, hotKey, readable;
    PermissionSet granted;
    bool operational;
  };
  const Case cases[] = {
      {"nothing", false, false, false, false, {}, false},
      {"accessibility alone", true, false, false, false, {accessibility}, false},
      {"a monitor but no hot key", false, true, false, false, {}, false},
      {"a hot key but no monitor", false, false, true, false, {}, false},
      {"all but full disk access", true, true, true, false, {accessibility, inputMonitoring}, true},
      {"full disk access alone", false, false, false, true, {fullDiskAccess}, false},
      {"everything", true, true, true, true, {accessibility, inputMonitoring, fullDiskAccess}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.probe.trusted = c.trusted;
    rig.probe.keyMonitorInstalls = c.monitor;
    rig.probe.hotKeyRegisters = c.hotKey;
    if (c.readable) rig.probe.readableFiles.insert(tccDatabase);
    auto controller = rig.start();

    EXPECT_EQ(controller->granted().value(), c.granted);
    EXPECT_EQ(controller->isOperational(), c.operational);
    EXPECT_THAT(rig.probe.trustPrompts, ElementsAre(false));  // a check never prompts
    // Without a monitor the hot key is not even tried.
    EXPECT_EQ(rig.probe.hotKeys, c.monitor ? std::vector{escapeWithAllModifiers} : std::vector<ProbeHotKey>{});
    EXPECT_THAT(rig.probe.filesRead, ElementsAre(tccDatabase));
    EXPECT_THAT(rig.desktop.openedURLs, IsEmpty());
  }
}

TEST(PermissionController, OnlyAChangeIsPublishedAndLoggedWithSortedNames) {
  Rig quiet;  // nothing granted at start-up is no change from the empty set
  auto none = quiet.start();
  EXPECT_THAT(quiet.log.lines(), IsEmpty());

  struct Step {
    PermissionSet system;
    std::vector<Line> lines;
  };
  const Step steps[] = {
      {{accessibility, inputMonitoring, fullDiskAccess},
       {{LogLevel::Info, "granted accessibility, fullDiskAccess, inputMonitoring"}}},
      {{accessibility, inputMonitoring, fullDiskAccess}, {}},
      {{accessibility}, {{LogLevel::Default, "blocked fullDiskAccess, inputMonitoring"}}},
      {{inputMonitoring}, {{LogLevel::Info, "granted inputMonitoring"}, {LogLevel::Default, "blocked accessibility"}}},
      {{}, {{LogLevel::Default, "blocked inputMonitoring"}}},
      {{}, {}},
  };
  Rig rig;
  rig.systemGrants(steps[0].system);
  auto controller = rig.start();
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE("step " + std::to_string(i));
    const Step& step = steps[i];
    if (i > 0) {
      rig.systemGrants(step.system);
      rig.publications = 0;
      controller->refresh();
    }
    EXPECT_EQ(rig.log.lines(), step.lines);
    if (i > 0) {  // start-up's publication came before anyone listened
      EXPECT_EQ(rig.publications, step.lines.empty() ? 0 : 1);
    }
    EXPECT_EQ(controller->granted().value(), step.system);
    rig.log.clear();
  }
}

TEST(PermissionController, PollsEveryThreeSecondsAndChecksWhenWeBecomeActive) {
  Rig rig;
  rig.systemGrants({accessibility, inputMonitoring});
  auto controller = rig.start();
  rig.log.clear();

  rig.systemGrants({accessibility});  // revoked in System Settings
  rig.clock.advance(2.9);
  EXPECT_THAT(rig.log.lines(), IsEmpty());
  rig.clock.advance(0.1);
  EXPECT_THAT(rig.log.lines(), ElementsAre(Line{LogLevel::Default, "blocked inputMonitoring"}));
  EXPECT_FALSE(controller->isOperational());

  rig.systemGrants({accessibility, inputMonitoring});
  rig.clock.advance(3);
  EXPECT_TRUE(controller->isOperational());
  EXPECT_EQ(rig.clock.pendingCount(), 1U);  // one next tick, however long it has run

  rig.log.clear();
  rig.systemGrants({});
  rig.desktop.activateApp(rig.desktop.addApp("Other", "org.example.other"));
  EXPECT_THAT(rig.log.lines(), IsEmpty());  // someone else's activation is not ours
  rig.desktop.activateApp(rig.desktop.self);
  EXPECT_THAT(rig.log.lines(), ElementsAre(Line{LogLevel::Default, "blocked accessibility, inputMonitoring"}));

  // The poll and the activation go quiet with the controller.
  controller.reset();
  EXPECT_EQ(rig.clock.pendingCount(), 0U);
  rig.log.clear();
  rig.systemGrants({accessibility});
  rig.desktop.activateApp(rig.desktop.self);
  rig.clock.advance(10);
  EXPECT_THAT(rig.log.lines(), IsEmpty());
}

TEST(PermissionController, RequestingAccessibilityPromptsThenOpensSettingsOnlyIfStillMissing) {
  struct Case {
    const char* name;
    bool trustedBefore, trustedAfterPrompt;
    std::vector<std::string> opened;
  };
  const Case cases[] = {
      {"already granted", true, true, {}},
      {"granted at the prompt", false, true, {}},
      {"still missing", false, false, {settingsPrefix + "Privacy_Accessibility"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.probe.trusted = c.trustedBefore;
    auto controller = rig.start();
    controller->request(accessibility);
    rig.probe.trusted = c.trustedAfterPrompt;  // the user answers the system's prompt

    EXPECT_EQ(rig.desktop.selfActivations, 1);
    EXPECT_THAT(rig.probe.trustPrompts, ElementsAre(false, true));
    rig.clock.advance(0.29);
    EXPECT_THAT(rig.desktop.openedURLs, IsEmpty());
    rig.clock.advance(0.01);
    EXPECT_EQ(controller->granted().value().contains(accessibility), c.trustedAfterPrompt);
    EXPECT_EQ(rig.desktop.openedURLs, c.opened);
  }

  Rig gone;
  auto controller = gone.start();
  controller->request(accessibility);
  controller.reset();
  gone.clock.advance(1);
  EXPECT_THAT(gone.desktop.openedURLs, IsEmpty());
}

TEST(PermissionController, EachPermissionHasItsSettingsPage) {
  Rig rig;
  auto controller = rig.start();
  for (Permission permission : allPermissions) controller->openSettings(permission);
  EXPECT_THAT(rig.desktop.openedURLs,
              ElementsAre(settingsPrefix + "Privacy_Accessibility", settingsPrefix + "Privacy_ListenEvent",
                          settingsPrefix + "Privacy_AllFiles"));

  // Input Monitoring lists us by attempting a tap first; neither waits.
  rig.desktop.openedURLs.clear();
  controller->request(inputMonitoring);
  EXPECT_EQ(rig.probe.eventTapAttempts, 1);
  controller->request(fullDiskAccess);
  EXPECT_EQ(rig.probe.eventTapAttempts, 1);
  EXPECT_THAT(rig.desktop.openedURLs,
              ElementsAre(settingsPrefix + "Privacy_ListenEvent", settingsPrefix + "Privacy_AllFiles"));
  EXPECT_EQ(rig.desktop.selfActivations, 0);
}

TEST(PermissionController, OtherInstallIsTheFirstCopyElsewhere) {
  struct Case {
    const char* name;
    std::string identifier;
    std::vector<std::string> installed;
    std::optional<std::string> other;
  };
  const Case cases[] = {
      {"none installed", "org.tavelin.Tavelin", {}, std::nullopt},
      {"only this copy", "org.tavelin.Tavelin", {"/Applications/Tavelin.app"}, std::nullopt},
      {"this copy spelt otherwise",
       "org.tavelin.Tavelin",
       {"/Applications/./Tavelin.app/", "/Applications//Tavelin.app", "/Library/../Applications/Tavelin.app"},
       std::nullopt},
      {"a second copy",
       "org.tavelin.Tavelin",
       {"/Applications/Tavelin.app/", "/Users/ada/Downloads/./Tavelin.app/", "/Volumes/Old/Tavelin.app"},
       "/Users/ada/Downloads/Tavelin.app"},
      {"no bundle id", "", {"/Users/ada/Downloads/Tavelin.app"}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    rig.bundle.identifier = c.identifier;
    for (const auto& url : c.installed) rig.desktop.install(c.identifier, url);
    auto controller = rig.start();
    EXPECT_EQ(controller->otherInstall(), c.other);
  }
}

}  // namespace
}  // namespace tavelin::app
