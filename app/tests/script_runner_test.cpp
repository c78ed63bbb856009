#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "controllers/ScriptRunner.hpp"
#include "fakes/FakeAppleScriptEngine.hpp"
#include "fakes/ManualClock.hpp"
#include "fakes/Outcomes.hpp"
#include "platform/linux/posix/NoAppleScriptEngine.hpp"
#include "platform/linux/posix/PosixProcesses.hpp"

namespace tavelin::app {

namespace {

const std::string missingZsh = "Could not start the command: No such file or directory";

ScriptRunner::Environment shellIs(std::optional<std::string> shell) {
  return [shell = std::move(shell)](const std::string& name) {
    return name == "SHELL" ? shell : std::nullopt;
  };
}

// Notes what it is asked to start, then really starts it.
class RecordingProcesses final : public Processes {
 public:
  struct Call {
    std::string executable;
    std::vector<std::string> arguments;
    bool operator==(const Call&) const = default;
  };

  std::expected<ProcessResult, std::string> run(const std::string& executable,
                                                const std::vector<std::string>& arguments) override {
    calls.push_back({executable, arguments});
    return real.run(executable, arguments);
  }

  std::vector<Call> calls;
  PosixProcesses real;
};

class ScriptRunnerTest : public ::testing::Test {
 protected:
  // Every run goes through here, so every test also checks that the
  // completion never comes from inside the call and comes exactly once, from
  // the main queue.
  template <typename Start>
  RunOutcome completed(Start start) {
    return testing::completedOnce(clock, std::move(start));
  }

  RunOutcome shell(std::optional<std::string> shellPath, const std::string& command) {
    ScriptRunner runner(clock, processes, engine, shellIs(std::move(shellPath)));
    return completed([&](auto done) { runner.runShell(command, done); });
  }

  RunOutcome appleScript(AppleScriptEngine& interpreter, const std::string& source) {
    ScriptRunner runner(clock, processes, interpreter, shellIs("/bin/sh"));
    return completed([&](auto done) { runner.runAppleScript(source, done); });
  }

  testing::ManualClock clock;
  RecordingProcesses processes;
  testing::FakeAppleScriptEngine engine;
};

TEST_F(ScriptRunnerTest, ShellOutcomes) {
  struct Case {
    std::string shell;
    std::string command;
    RunOutcome outcome;
  };
  const Case cases[] = {
      {"/bin/sh", "printf '\\n  two words \\n\\n'", RunOutcome::ran("two words")},
      {"/bin/bash", "echo fine >&2", RunOutcome::ran("")},
      {"/bin/sh", "exit 3", RunOutcome::failed("Exited 3.")},
      {"/bin/sh", "echo oops >&2; exit 1", RunOutcome::failed("oops")},
      {"/bin/sh", "echo out; echo '  err  ' >&2; exit 2", RunOutcome::failed("err")},
      {"/bin/sh", "printf ' \\n' >&2; exit 4", RunOutcome::failed("Exited 4.")},
      {"/bin/sh", "printf 'caf\\351 \\377'", RunOutcome::ran("caf\uFFFD \uFFFD")},
      {"/bin/sh", "kill -KILL $$", RunOutcome::failed("Exited 137.")},
      {"/nonexistent/shell", "echo hi",
       RunOutcome::failed("Could not start the command: No such file or directory")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shell + " -c " + c.command);
    EXPECT_EQ(shell(c.shell, c.command), c.outcome);
  }
}

TEST_F(ScriptRunnerTest, DateGivesOneLineWithoutTheLineBreak) {
  const auto outcome = shell("/bin/sh", "date");
  EXPECT_EQ(outcome.kind, RunOutcome::Kind::ran);
  EXPECT_FALSE(outcome.text.empty());
  EXPECT_EQ(outcome.text.find('\n'), std::string::npos);
  EXPECT_NE(outcome.text.back(), ' ');
}

// An empty SHELL names no program, so it falls back like an unset one.
TEST_F(ScriptRunnerTest, WithoutAShellAsksForZsh) {
  const bool haveZsh = ::access("/bin/zsh", X_OK) == 0;
  for (const auto& value : {std::optional<std::string>{}, std::optional<std::string>{""}}) {
    SCOPED_TRACE(value ? "SHELL empty" : "SHELL unset");
    processes.calls.clear();
    const auto outcome = shell(value, "echo hi");
    EXPECT_EQ(processes.calls,
              (std::vector<RecordingProcesses::Call>{{"/bin/zsh", {"-c", "echo hi"}}}));
    EXPECT_EQ(outcome, haveZsh ? RunOutcome::ran("hi") : RunOutcome::failed(missingZsh));
  }
}

// A process started without SHELL (by a service manager, an autostart entry)
// still runs commands: the real environment answers with the user's login
// shell from the user database instead of a shell that may not be installed.
TEST_F(ScriptRunnerTest, TheRealEnvironmentFallsBackToTheUsersLoginShell) {
  const char* saved = std::getenv("SHELL");
  const std::optional<std::string> restore = saved ? std::optional<std::string>(saved) : std::nullopt;
  const auto expected = userDatabaseShell();
  ASSERT_TRUE(expected.has_value()) << "this user has no login shell recorded";
  for (const char* value : {static_cast<const char*>(nullptr), ""}) {
    SCOPED_TRACE(value ? "SHELL empty" : "SHELL unset");
    if (value) ::setenv("SHELL", value, 1); else ::unsetenv("SHELL");
    EXPECT_EQ(processEnvironment()("SHELL"), expected);
    processes.calls.clear();
    ScriptRunner runner(clock, processes, engine, ScriptRunner::processEnvironment());
    EXPECT_EQ(completed([&](auto done) { runner.runShell("echo hi", done); }), RunOutcome::ran("hi"));
    ASSERT_EQ(processes.calls.size(), 1u);
    EXPECT_EQ(processes.calls.front().executable, *expected);
  }
  ::setenv("SHELL", "/bin/sh", 1);
  EXPECT_EQ(processEnvironment()("SHELL"), "/bin/sh");
  if (restore) ::setenv("SHELL", restore->c_str(), 1); else ::unsetenv("SHELL");
}

TEST_F(ScriptRunnerTest, HandsTheShellExactlyDashCAndTheCommand) {
  char pattern[] = "/tmp/tavelin-shell-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::filesystem::path folder = pattern;
  const auto reporter = folder / "reporting-shell";
  std::ofstream(reporter) << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\"\n";
  std::filesystem::permissions(reporter, std::filesystem::perms::owner_all);

  const auto outcome = shell(reporter.string(), "echo 'a  b' \"$HOME\"");
  std::filesystem::remove_all(folder);
  EXPECT_EQ(outcome, RunOutcome::ran("2|-c|echo 'a  b' \"$HOME\"|"));
}

// The shell keeps its standard output open while it fills standard error far
// beyond what a pipe holds.
TEST_F(ScriptRunnerTest, AMebibyteOnStandardErrorDoesNotStall) {
  const auto outcome = shell("/bin/sh", "head -c 1048576 /dev/zero | tr '\\0' x >&2; echo >&2; exit 1");
  EXPECT_EQ(outcome.kind, RunOutcome::Kind::failed);
  EXPECT_EQ(outcome.text.size(), 1u << 20);
  EXPECT_EQ(outcome.text.find_first_not_of('x'), std::string::npos);
}

TEST_F(ScriptRunnerTest, AppleScriptOutcomes) {
  using Error = AppleScriptResult::Error;
  struct Case {
    AppleScriptResult result;
    RunOutcome outcome;
  };
  const Case cases[] = {
      {{AppleScriptResult::Ran{"42"}}, RunOutcome::ran("42")},
      {{AppleScriptResult::Ran{std::nullopt}}, RunOutcome::ran("")},
      {{AppleScriptResult::NotCompiled{}}, RunOutcome::failed("That AppleScript could not be compiled.")},
      {{Error{"Finder", "Can\u2019t get window 1.", -1728}},
       RunOutcome::failed("Finder: Can\u2019t get window 1. (-1728)")},
      {{Error{"Finder", "Can\u2019t get window 1.", std::nullopt}},
       RunOutcome::failed("Finder: Can\u2019t get window 1.")},
      {{Error{"Terminal", "Not authorized to send Apple events to Terminal.", -1743}},
       RunOutcome::failed("macOS has not let Tavelin control Terminal. Switch it on under System Settings "
                          "\u203A Privacy & Security \u203A Automation (-1743).")},
      {{Error{std::nullopt, std::nullopt, -2753}}, RunOutcome::failed("AppleScript: no reason given (-2753)")},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string source = "script " + std::to_string(++n);
    SCOPED_TRACE(source);
    engine.answerNext(c.result);
    EXPECT_EQ(appleScript(engine, source), c.outcome);
    EXPECT_EQ(engine.sources().back(), source);
  }
}

TEST_F(ScriptRunnerTest, AppleScriptOnLinuxSaysThereIsNoInterpreter) {
  NoAppleScriptEngine none;
  EXPECT_EQ(appleScript(none, "return 42"),
            RunOutcome::failed("AppleScript: no AppleScript interpreter is available on this system"));
}

}  // namespace
}  // namespace tavelin::app
