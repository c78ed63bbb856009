// The folder watch against the real kernel: inotify on a temporary folder,
// with the debounce still on the virtual clock.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fakes/FakeDialogs.hpp"
#include "fakes/LogRecorder.hpp"
#include "fakes/ManualClock.hpp"
#include "platform/linux/posix/InotifyFolderWatch.hpp"
#include "runtime/Core.hpp"
#include "temp_dir.hpp"

namespace tavelin::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class InotifyFolderWatchTest : public ::testing::Test {
 protected:
  // Runs what the reader thread posted, once something arrives.
  bool deliverPosted(std::chrono::milliseconds timeout = 5s) {
    if (!clock.waitForTask(timeout)) return false;
    clock.drain();
    return true;
  }
  // Runs what arrives, and whatever follows within a short quiet spell.
  bool deliverUntilQuiet() {
    if (!deliverPosted()) return false;
    while (clock.waitForMoreThan(clock.pendingCount(), 100ms)) clock.drain();
    return true;
  }
  // The kernel's events may reach the reader in several reads, each posted
  // on its own: runs what arrives until `heard` holds.
  template <typename Condition>
  bool deliverUntil(Condition heard) {
    while (!heard()) {
      if (!deliverPosted()) return false;
    }
    return true;
  }

  tavelin::testing::TempDir home;
  fs::path folder = home / "watched";
  testing::ManualClock clock;
  InotifyFolderWatch folders{clock};
};

TEST_F(InotifyFolderWatchTest, SeesEntriesAndTheFolderItself) {
  fs::create_directories(folder);
  FolderEvents heard;
  auto handle = folders.watch(folder.string(), [&](FolderEvents events) {
    heard.entriesChanged |= events.entriesChanged;
    heard.folderRenamed |= events.folderRenamed;
    heard.folderDeleted |= events.folderDeleted;
  });
  ASSERT_TRUE(handle);

  tavelin::testing::write_file(folder / "new.tmp", "x");
  fs::rename(folder / "new.tmp", folder / "config.json");
  ASSERT_TRUE(deliverUntil([&] { return heard.entriesChanged; }));
  EXPECT_FALSE(heard.folderRenamed || heard.folderDeleted);

  fs::rename(folder, home / "moved");
  EXPECT_TRUE(deliverUntil([&] { return heard.folderRenamed; }));
  EXPECT_FALSE(heard.folderDeleted);

  fs::remove_all(home / "moved");
  EXPECT_TRUE(deliverUntil([&] { return heard.folderDeleted; }));
}

TEST_F(InotifyFolderWatchTest, AMissingFolderCannotBeWatched) {
  auto handle = folders.watch((home / "absent").string(), [](FolderEvents) {});
  ASSERT_FALSE(handle);
  EXPECT_EQ(handle.error(), ENOENT);
}

TEST_F(InotifyFolderWatchTest, ADroppedWatchDeliversNothingMore) {
  fs::create_directories(folder);
  int calls = 0;
  auto handle = folders.watch(folder.string(), [&](FolderEvents) { ++calls; });
  ASSERT_TRUE(handle);
  tavelin::testing::write_file(folder / "a", "x");
  ASSERT_TRUE(clock.waitForTask(5s));
  handle->reset();  // posted but not yet run
  clock.drain();
  EXPECT_EQ(calls, 0);
}

TEST_F(InotifyFolderWatchTest, CoreAdoptsAnEditorsSave) {
  testing::FakeDialogs dialogs;
  testing::LogRecorder log;
  const fs::path path = home / "Library/Application Support/Tavelin/config.json";
  auto core = Core::start({.main = clock, .folders = folders, .dialogs = dialogs, .path = path.string()});
  ASSERT_TRUE(core);
  core->watchConfig();
  ASSERT_TRUE(core->watcher()->isWatching());

  Settings edited = core->settings();
  edited.sequences.pop_back();
  tavelin::testing::write_file(path.string() + "~", settings_to_json(edited));
  fs::rename(path.string() + "~", path);
  ASSERT_TRUE(deliverUntilQuiet());
  clock.advance(ConfigWatcher::kSettleSeconds);
  EXPECT_EQ(core->settings(), edited);
  EXPECT_TRUE(log.has(LogLevel::Info, "Config changed on disk · 16 sequences · 0 global keys"));

  // A program rewriting the file in place adds no entry: the folder watch
  // does not notice it.
  std::ofstream(path, std::ios::trunc) << settings_to_json(default_settings());
  EXPECT_FALSE(clock.waitForTask(200ms));
}

}  // namespace
}  // namespace tavelin::app
