// A process killed at any moment while saving must leave a configuration
// that reads back as one of the versions it saved, never a torn one.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <tavelin/core.hpp>
#include <thread>

#include "temp_dir.hpp"

namespace tavelin {
namespace {

// Every saved version differs only in one sequence's description, which
// carries the version number, so a reader can tell exactly what it expects.
Settings version(const Settings& base, long n) {
  Settings s = base;
  s.sequences.back().description = "version " + std::to_string(n);
  s.sequences.back().action = {KeyAction::Command{std::string(static_cast<std::size_t>(n % 4000), 'x')}};
  return s;
}

[[noreturn]] void save_forever(const std::filesystem::path& path, const Settings& base, int ready) {
  auto store = Store::open(path);
  if (!store) _exit(3);
  // Tell the parent the loop is starting, so its random delay falls among saves.
  if (::write(ready, "r", 1) != 1) _exit(5);
  Settings current = store->settings();
  long n = std::stol(current.sequences.back().description.substr(8));
  for (;;) {
    if (!store->replace(version(base, ++n))) _exit(4);
  }
}

TEST(StoreCrash, KilledWhileSavingLeavesASavedVersion) {
  testing::TempDir dir;
  const auto path = dir / "config.json";
  Settings base = default_settings();
  base.sequences.resize(3);
  {
    auto store = Store::open(path);
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->replace(version(base, 0)));
  }
  // Base as the store sorts it, so versions compare equal after a save.
  base = Store::open(path)->settings();

  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> delay_us(0, 15000);
  constexpr int kills = 300;
  long last = 0;
  int advanced = 0;
  for (int i = 0; i < kills; ++i) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) save_forever(path, base, ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    // A random moment into the child's save loop.
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself with status " << WEXITSTATUS(status);

    const std::string bytes = testing::read_file(path);
    auto read = settings_from_json(bytes);
    ASSERT_TRUE(read) << "kill " << i << " left an unreadable file: " << read.error();
    const std::string& description = read->sequences.back().description;
    ASSERT_TRUE(description.starts_with("version ")) << description;
    const long n = std::stol(description.substr(8));
    ASSERT_EQ(*read, version(base, n)) << "kill " << i;
    ASSERT_GE(n, last);
    if (n > last) ++advanced;
    last = n;
  }
  // Many kills must land after at least one more save, or the test proves little.
  EXPECT_GT(advanced, kills / 3);
  RecordProperty("kills", kills);
  RecordProperty("saved_versions", static_cast<int>(last));
}

}  // namespace
}  // namespace tavelin
