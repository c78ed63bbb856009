// Real file-system failures: a read-only file system, a full one, a folder
// that cannot be made. Each needs a small tmpfs, which only a user allowed to
// mount can have; elsewhere the tests skip.

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <tavelin/core.hpp>

#include "temp_dir.hpp"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using testing::read_file;

class StoreFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::mount("tavelin-test", dir.path().c_str(), "tmpfs", 0, "size=16k") != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    mounted = true;
    auto opened = Store::open(path);
    ASSERT_TRUE(opened) << opened.error().message;
    store.emplace(std::move(*opened));
    before = store->settings();
    file_before = read_file(path);
  }

  void TearDown() override {
    store.reset();
    if (mounted) ::umount2(dir.path().c_str(), MNT_DETACH);
  }

  void remount_read_only() {
    ASSERT_EQ(::mount(nullptr, dir.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);
  }

  void expect_nothing_changed() {
    EXPECT_EQ(store->settings(), before);
    EXPECT_EQ(read_file(path), file_before);
  }

  testing::TempDir dir;
  bool mounted = false;
  fs::path path = dir / "Tavelin/config.json";
  std::optional<Store> store;
  Settings before;
  std::string file_before;
};

TEST_F(StoreFaultsTest, AReadOnlyFolderRefusesTheSave) {
  remount_read_only();
  auto result = store->set_view_type(ViewType::Grid);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error(), (CoreError{CoreError::Kind::Io, "Could not write " + path.string() +
                                                                ".tmp: Read-only file system (os error 30)"}));
  expect_nothing_changed();

  auto exported = store->export_to(dir / "elsewhere/backup.json");
  ASSERT_FALSE(exported);
  EXPECT_EQ(exported.error().message,
            "Could not create " + (dir / "elsewhere").string() + ": Read-only file system (os error 30)");
}

TEST_F(StoreFaultsTest, AFullDiskRefusesTheSaveAndLeavesNoTemporaryFile) {
  KeySequence big{"big", "zz", "Big", {KeyAction::Command{std::string(20000, 'x')}}};
  auto result = store->upsert_sequence(big);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error(), (CoreError{CoreError::Kind::Io, "Could not write " + path.string() +
                                                                ".tmp: No space left on device (os error 28)"}));
  expect_nothing_changed();
  EXPECT_FALSE(fs::exists(path.string() + ".tmp"));

  // The disk is not poisoned: a change that fits still goes through.
  EXPECT_TRUE(store->set_view_type(ViewType::List));
}

}  // namespace
}  // namespace tavelin
