#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controllers/AppDelegate.hpp"
#include "fakes/FakeBundle.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/FakeDialogs.hpp"
#include "fakes/FakeFolderWatch.hpp"
#include "fakes/FakeHotkeyService.hpp"
#include "fakes/FakeKeyMonitors.hpp"
#include "fakes/FakePermissionProbe.hpp"
#include "fakes/FakeTypingWindow.hpp"
#include "fakes/LogRecorder.hpp"
#include "fakes/ManualClock.hpp"
#include "temp_dir.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;
using Line = testing::LogRecorder::Line;

// Every controller real, every platform piece a fake; the configuration file
// is written before start-up so a test can make it unreadable.
class AppDelegateTest : public ::testing::Test {
 protected:
  void launch(bool permissionsGranted = true, const std::optional<std::string>& fileBytes = std::nullopt) {
    if (fileBytes) tavelin::testing::write_file(path, *fileBytes);
    if (permissionsGranted) probe.grantAll("/Library/Application Support/com.apple.TCC/TCC.db");
    core = Core::start({.main = clock, .folders = folders, .dialogs = dialogs, .path = path.string()});
    ASSERT_TRUE(core);
    permissions = PermissionController::start({probe, desktop, bundle, clock});
    mainWindow = MainWindowController::make({*core, desktop, clock, keyMonitors, windows,
                                             [](const KeyAction&, RunningApplicationRef, ActionRunner::Completion) {},
                                             [this](std::optional<int> tab) { settingsShown.push_back(tab); }});
    delegate = std::make_unique<AppDelegate>(AppDelegate::Dependencies{
        bundle, *core, *mainWindow, hotkeys, *permissions,
        [this](std::optional<int> tab) { settingsShown.push_back(tab); },
        [this](Appearance appearance) { appearances.push_back(appearance); }});
    delegate->applicationDidFinishLaunching();
  }

  void change(const std::function<Store::Result(Store&)>& operation) {
    auto result = operation(core->store());
    ASSERT_TRUE(result) << result.error().message;
    core->adopt(*result);
  }

  int hotkeyApplications() const {
    int count = 0;
    for (const auto& line : log.lines()) count += line.message.starts_with("hotkeys ") ? 1 : 0;
    return count;
  }

  tavelin::testing::TempDir folder;
  std::filesystem::path path = folder / "config.json";
  testing::ManualClock clock;
  testing::FakeFolderWatch folders;
  testing::FakeDialogs dialogs;
  testing::FakeDesktop desktop;
  testing::FakeBundle bundle;
  testing::FakePermissionProbe probe;
  testing::FakeKeyMonitors keyMonitors;
  testing::FakeTypingWindows windows;
  testing::FakeHotkeyService service;
  testing::LogRecorder log;
  HotkeyController hotkeys{service, desktop, [](const KeyAction&, RunningApplicationRef, ActionRunner::Completion) {}};
  std::shared_ptr<Core> core;
  std::shared_ptr<PermissionController> permissions;
  std::shared_ptr<MainWindowController> mainWindow;
  std::unique_ptr<AppDelegate> delegate;
  std::vector<std::optional<int>> settingsShown;
  std::vector<Appearance> appearances;
};

TEST_F(AppDelegateTest, StartsEverythingInOrderAndThenSitsQuietly) {
  launch();
  std::vector<std::string> messages;
  for (const auto& line : log.lines()) messages.push_back(line.message);
  const auto started = std::ranges::find(messages, "── Tavelin 1.0 · core 2.7.1 started ──");
  ASSERT_NE(started, messages.end());
  EXPECT_EQ(*(started + 1), "Running /opt/tavelin/bin/tavelin");
  EXPECT_EQ(messages.back(), "hotkeys 1/1 registered");

  EXPECT_EQ(windows.built.size(), 1u);         // the typing window, hidden
  EXPECT_FALSE(windows.built[0]->visible);
  EXPECT_EQ(service.installs, 1);              // the handler, then the chords
  EXPECT_THAT(service.liveIds(), ElementsAre(1u));
  EXPECT_THAT(folders.watched, ElementsAre(folder.path().string()));
  EXPECT_THAT(appearances, ElementsAre(Appearance::System));
  EXPECT_TRUE(settingsShown.empty());

  // The activation chord toggles the typing window.
  service.press({49, option_key});
  EXPECT_TRUE(windows.built[0]->visible);
}

TEST_F(AppDelegateTest, MissingPermissionsWinOverASetAsideFile) {
  launch(false, "not json");
  ASSERT_TRUE(core->recoveredFrom());
  EXPECT_THAT(settingsShown, ElementsAre(AppDelegate::kPermissionsTab));
  EXPECT_TRUE(log.has(LogLevel::Default, "blocked · required permissions are off; opening Settings."));
}

TEST_F(AppDelegateTest, ASetAsideFileOpensTheGeneralTab) {
  launch(true, "not json");
  EXPECT_THAT(settingsShown, ElementsAre(AppDelegate::kGeneralTab));
}

TEST_F(AppDelegateTest, ChordsAreRegisteredAgainOnlyWhenAChordOrAGlobalKeyChanged) {
  launch();
  ASSERT_EQ(hotkeyApplications(), 1);
  change([](Store& s) { return s.remove_sequence(s.sequences().front().id); });
  change([](Store& s) { return s.set_main_window({700, 500}); });
  change([](Store& s) { return s.set_view_type(ViewType::Grid); });
  change([](Store& s) { return s.set_appearance(Appearance::Dark); });
  change([](Store& s) { return s.add_terminal("org.example.term"); });
  EXPECT_EQ(hotkeyApplications(), 1);
  EXPECT_THAT(appearances, ElementsAre(Appearance::System, Appearance::Dark));

  GlobalKey key{"g", 17, control_key | option_key, "Terminal", {KeyAction::Command{"true"}}};
  change([&](Store& s) { return s.upsert_global_key(key); });
  EXPECT_EQ(hotkeyApplications(), 2);
  key.description = "Renamed";
  change([&](Store& s) { return s.upsert_global_key(key); });
  EXPECT_EQ(hotkeyApplications(), 3);
  change([](Store& s) { return s.set_activation_hotkey({49, cmd_key}); });
  EXPECT_EQ(hotkeyApplications(), 4);
  EXPECT_THAT(service.liveIds(), ElementsAre(1u, 100u));
  EXPECT_EQ(service.live[0]->chord, (testing::FakeHotkeyService::Chord{49, cmd_key}));
}

TEST_F(AppDelegateTest, ReopeningShowsTheSettingsAndQuittingEndsTheLog) {
  launch();
  EXPECT_TRUE(delegate->applicationShouldHandleReopen());
  EXPECT_THAT(settingsShown, ElementsAre(std::nullopt));

  delegate->applicationWillTerminate();
  EXPECT_TRUE(service.live.empty());
  EXPECT_EQ(log.lines().back(), (Line{LogLevel::Info, "── Tavelin stopped ──"}));
  const std::string file = tavelin::testing::read_file(Log::fileURL());
  EXPECT_TRUE(file.ends_with("── Tavelin stopped ──\n"));
}

}  // namespace
}  // namespace tavelin::app
