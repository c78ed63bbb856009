// The shared launch operations: real programs through the real process
// runner, and the workspace's answers moved to the main queue.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "controllers/terminal/TerminalLaunch.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/ManualClock.hpp"
#include "fakes/Outcomes.hpp"
#include "platform/linux/posix/PosixProcesses.hpp"
#include "temp_dir.hpp"

namespace tavelin::app {

namespace {

class TerminalLaunchTest : public ::testing::Test {
 protected:
  // The completion must wait for the main queue, then come exactly once.
  template <typename Start>
  RunOutcome completed(Start start) {
    return testing::completedOnce(clock, std::move(start));
  }

  testing::ManualClock clock;
  testing::FakeDesktop desktop;
  PosixProcesses processes;
  TerminalLaunch launch{clock, desktop, processes};
};

TEST_F(TerminalLaunchTest, ProcessReportsWhatARealProgramLeftBehind) {
  tavelin::testing::TempDir folder;
  const auto tool = (folder / "tool").string();
  tavelin::testing::write_file(tool, "#!/bin/sh\nprintf '%b' \"$1\"; printf '%b' \"$2\" >&2; exit \"$3\"\n");
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);

  struct Case {
    std::string path;
    std::vector<std::string> arguments;  // standard output, standard error, status
    RunOutcome outcome;
  };
  const Case cases[] = {
      {tool, {"  out\\n", "  bad flag \\n\\n", "3"}, RunOutcome::failed("bad flag")},
      {tool, {"  out\\n", "a warning\\n", "0"}, RunOutcome::ran("  out\n")},
      {tool, {"out", " \\n", "4"}, RunOutcome::failed("tool exited 4.")},
      {tool, {"caf\\0351\\n", "", "0"}, RunOutcome::ran("caf\uFFFD\n")},
      {(folder / "absent").string(), {}, RunOutcome::failed("Could not run absent: No such file or directory")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? c.path : c.arguments[0] + " | " + c.arguments[1] + " | " + c.arguments[2]);
    EXPECT_EQ(completed([&](auto done) { launch.process(c.path, c.arguments, done); }), c.outcome);
  }
}

TEST_F(TerminalLaunchTest, OpenPassesItsOptionsAndReportsOnTheMainQueue) {
  struct Case {
    std::string url;
    bool newInstance;
    std::optional<std::string> error;
    RunOutcome outcome;
  };
  const Case cases[] = {
      {"/Applications/Example Term.app", true, std::nullopt, RunOutcome::ran("")},
      {"/Applications/Example Term.app", false, "The application is damaged.",
       RunOutcome::failed("Could not open Example Term: The application is damaged.")},
      {"/usr/share/applications/org.example.Term.desktop", true, "Exec line is empty.",
       RunOutcome::failed("Could not open org.example.Term: Exec line is empty.")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    desktop.opened.clear();
    // The workspace answers from a thread of its own.
    desktop.openHandler = [&](const std::string&, const OpenConfiguration&, std::function<void(OpenResult)> done) {
      std::thread([&c, done] { done(OpenResult{nullptr, c.error}); }).join();
    };
    EXPECT_EQ(completed([&](auto done) { launch.open(c.url, {"-e", "top"}, c.newInstance, done); }), c.outcome);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0].url, c.url);
    EXPECT_EQ(desktop.opened[0].configuration.arguments, (std::vector<std::string>{"-e", "top"}));
    EXPECT_EQ(desktop.opened[0].configuration.createsNewInstance, c.newInstance);
    EXPECT_FALSE(desktop.opened[0].configuration.addsToRecentItems);
  }
}

TEST_F(TerminalLaunchTest, OnlyACopyThatHasNotTerminatedCountsAsRunning) {
  const std::string id = "org.example.Term";
  EXPECT_FALSE(launch.isRunning(id));
  auto ended = desktop.addApp("Term", id);
  ended->terminated = true;
  desktop.addApp("Other", "org.example.Other");
  EXPECT_FALSE(launch.isRunning(id));
  desktop.addApp("Term", id);
  EXPECT_TRUE(launch.isRunning(id));
}

}  // namespace
}  // namespace tavelin::app
