#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/FakeDialogs.hpp"
#include "fakes/FakeFolderWatch.hpp"
#include "fakes/LogRecorder.hpp"
#include "fakes/ManualClock.hpp"
#include "runtime/Core.hpp"
#include "temp_dir.hpp"

namespace tavelin::app {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Line = testing::LogRecorder::Line;

// 2024-05-17T08:03:09Z
const auto kMoment = std::chrono::system_clock::from_time_t(1715932989);

class CoreTest : public ::testing::Test {
 protected:
  std::shared_ptr<Core> start() {
    return Core::start({.main = clock,
                        .folders = folders,
                        .dialogs = dialogs,
                        .path = path.string(),
                        .now = [] { return kMoment; },
                        .exit = [this](int status) { exitStatus = status; }});
  }

  // What an editor does: write a new file beside the old one, rename it over.
  void editorSave(const std::string& bytes) {
    tavelin::testing::write_file(path.string() + ".swp", bytes);
    fs::rename(path.string() + ".swp", path);
  }

  tavelin::testing::TempDir home;
  fs::path folder = home / "Library/Application Support/Tavelin";
  fs::path path = folder / "config.json";
  testing::ManualClock clock;
  testing::FakeFolderWatch folders;
  testing::FakeDialogs dialogs;
  testing::LogRecorder log;
  std::optional<int> exitStatus;
};

TEST_F(CoreTest, FirstStartCreatesTheDefaultsAndSaysSo) {
  auto core = start();
  ASSERT_TRUE(core);
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_FALSE(core->recoveredFrom());
  EXPECT_EQ(core->resolver().candidates(), core->settings().sequences);
  EXPECT_THAT(log.lines(),
              ElementsAre(Line{LogLevel::Info, "Config " + path.string() + " · 17 sequences · 0 global keys"}));
}

TEST_F(CoreTest, AnUnreadableFileIsSetAsideAndReplacedByTheDefaults) {
  fs::create_directories(folder);
  tavelin::testing::write_file(path, "not json");
  auto core = start();
  ASSERT_TRUE(core);

  const std::string aside = (folder / "config.broken-2024-05-17T08-03-09Z.json").string();
  EXPECT_EQ(core->recoveredFrom(), aside);
  EXPECT_EQ(tavelin::testing::read_file(aside), "not json");
  EXPECT_EQ(core->settings().sequences.size(), 17u);
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].level, LogLevel::Error);
  EXPECT_THAT(lines[0].message, StartsWith("Config at " + path.string() + " could not be read: Parse(message: \"" +
                                           path.string() + " is not a Tavelin config: "));
  EXPECT_THAT(lines[0].message, ::testing::EndsWith("\"). Moved to " + aside + "."));
  EXPECT_EQ(lines[1], (Line{LogLevel::Info, "Config " + path.string() + " · 17 sequences · 0 global keys"}));

  // A second unreadable file in the same second keeps the first one set aside.
  tavelin::testing::write_file(path, "still not json");
  auto again = start();
  ASSERT_TRUE(again);
  EXPECT_EQ(again->recoveredFrom(), (folder / "config.broken-2024-05-17T08-03-09Z-2.json").string());
  EXPECT_EQ(tavelin::testing::read_file(aside), "not json");
}

TEST_F(CoreTest, WhenNothingCanBeSavedTheAlertIsShownAndTheProcessEnds) {
  fs::create_directories(home / "Library");
  tavelin::testing::write_file(home / "Library/Application Support", "a file, not a folder");
  auto core = start();
  EXPECT_FALSE(core);
  EXPECT_EQ(exitStatus, 1);
  const std::string reason = "Could not create " + folder.string() + ": Not a directory (os error 20)";
  EXPECT_THAT(dialogs.alerts, ElementsAre(testing::FakeDialogs::Alert{"Tavelin cannot save its configuration",
                                                                      reason + "\n\n" + path.string(), "Quit"}));
  EXPECT_TRUE(log.has(LogLevel::Error, "Could not move the unreadable config aside: Not a directory"));
  EXPECT_TRUE(log.has(LogLevel::Error, "Config at " + path.string() + " could not be read: Io(message: \"" + reason +
                                           "\"). Moved to nowhere."));
}

TEST_F(CoreTest, AdoptHandsTheResolverNewSequencesBeforeAnySubscriberHears) {
  auto core = start();
  ASSERT_TRUE(core);
  core->resolver().press("w");
  std::vector<std::size_t> seen;
  auto token = core->published().subscribe([&](const Settings&) { seen.push_back(core->resolver().candidates().size()); });

  auto changed = core->store().remove_sequence(core->settings().sequences.front().id);
  ASSERT_TRUE(changed);
  core->adopt(*changed);
  EXPECT_THAT(seen, ElementsAre(7u, 16u));  // "w" narrowed the list; the new list cleared it
  EXPECT_EQ(core->resolver().typed(), "");

  // Same sequences: the resolver keeps what was typed.
  core->resolver().press("w");
  auto resized = core->store().set_main_window({700, 500});
  ASSERT_TRUE(resized);
  core->adopt(*resized);
  EXPECT_EQ(core->resolver().typed(), "w");
}

TEST_F(CoreTest, EditsSettleForAMomentThenAreAdoptedOnce) {
  auto core = start();
  ASSERT_TRUE(core);
  core->watchConfig();
  EXPECT_THAT(folders.watched, ElementsAre(folder.string()));
  int publications = 0;
  auto token = core->published().subscribe([&](const Settings&) { ++publications; });
  log.clear();

  Settings edited = core->settings();
  std::ranges::reverse(edited.sequences);  // only the order changes
  editorSave(settings_to_json(edited));
  folders.entriesChanged();
  clock.advance(0.1);
  folders.entriesChanged();
  clock.advance(0.29);
  EXPECT_EQ(publications, 1);
  clock.advance(0.02);
  EXPECT_EQ(publications, 2);
  EXPECT_EQ(core->settings(), edited);
  EXPECT_EQ(core->resolver().candidates(), edited.sequences);
  EXPECT_THAT(log.lines(), ElementsAre(Line{LogLevel::Info, "Config changed on disk · 17 sequences · 0 global keys"}));
  clock.advance(5);
  EXPECT_EQ(publications, 2);
}

TEST_F(CoreTest, TheApplicationsOwnSaveIsReloadedSilently) {
  auto core = start();
  ASSERT_TRUE(core);
  core->watchConfig();
  auto saved = core->store().set_view_type(ViewType::Grid);
  ASSERT_TRUE(saved);
  core->adopt(*saved);
  int publications = 0;
  auto token = core->published().subscribe([&](const Settings&) { ++publications; });
  log.clear();

  folders.entriesChanged();
  clock.advance(0.3);
  EXPECT_EQ(publications, 1);
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(CoreTest, AnUnreadableEditIsLoggedAndTheSettingsInForceStay) {
  auto core = start();
  ASSERT_TRUE(core);
  core->watchConfig();
  const Settings before = core->settings();
  log.clear();
  editorSave("{");
  folders.entriesChanged();
  clock.advance(0.3);
  EXPECT_EQ(core->settings(), before);
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].level, LogLevel::Default);
  EXPECT_THAT(lines[0].message, StartsWith("Config changed on disk but could not be read: " + path.string() +
                                           " is not a Tavelin config: "));
  EXPECT_EQ(tavelin::testing::read_file(path), "{");  // nothing is set aside while running

  auto reloaded = core->reload();
  ASSERT_FALSE(reloaded);
  EXPECT_THAT(log.lines().back().message, StartsWith("Config change refused: "));
}

TEST_F(CoreTest, AVanishedFolderIsWatchedAgainASecondLater) {
  auto core = start();
  ASSERT_TRUE(core);
  core->watchConfig();
  fs::remove_all(folder);
  folders.refuseWith = ENOENT;
  folders.folderDeleted();
  EXPECT_FALSE(folders.isWatching());
  clock.advance(0.99);
  EXPECT_EQ(folders.watched.size(), 1u);
  clock.advance(0.01);
  EXPECT_EQ(folders.watched.size(), 2u);
  EXPECT_TRUE(log.has(LogLevel::Default,
                      "Config directory " + folder.string() + " cannot be watched: No such file or directory"));
  EXPECT_FALSE(core->watcher()->isWatching());
  clock.advance(10);
  EXPECT_EQ(folders.watched.size(), 2u);  // a failed arm gives up
}

TEST(CoreMessages, ErrorsDescribeThemselves) {
  const CoreError error{CoreError::Kind::Parse, "a \"b\" \\ c\nd"};
  EXPECT_EQ(humanMessage(error), error.message);
  EXPECT_EQ(debugDescription(error), "Parse(message: \"a \\\"b\\\" \\\\ c\\nd\")");
  EXPECT_EQ(setAsidePath("/x/config.json", kMoment), "/x/config.broken-2024-05-17T08-03-09Z.json");
  EXPECT_EQ(setAsidePath("/x/config", kMoment), "/x/config.broken-2024-05-17T08-03-09Z.json");
}

}  // namespace
}  // namespace tavelin::app
