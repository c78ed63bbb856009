#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/posix/PosixProcesses.hpp"

namespace tavelin::app {
namespace {

ProcessResult ranShell(const std::string& script, std::vector<std::string> extra = {}) {
  std::vector<std::string> arguments{"-c", script};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  auto result = PosixProcesses{}.run("/bin/sh", arguments);
  EXPECT_TRUE(result.has_value()) << (result ? "" : result.error());
  return result.value_or(ProcessResult{.status = -1, .standardOutput = {}, .standardError = {}});
}

// The descriptors open in this process; with `inheritableOnly`, those a child
// would receive (the listing's own descriptor is close-on-exec, so drops out).
std::set<int> openDescriptors(bool inheritableOnly) {
  std::set<int> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    const int fd = std::stoi(entry.path().filename().string());
    const int flags = ::fcntl(fd, F_GETFD);
    if (flags < 0) continue;
    if (inheritableOnly && (flags & FD_CLOEXEC) != 0) continue;
    found.insert(fd);
  }
  return found;
}

std::set<int> numbersIn(const std::string& lines) {
  std::set<int> numbers;
  std::istringstream in(lines);
  for (int n = 0; in >> n;) numbers.insert(n);
  return numbers;
}

TEST(PosixProcesses, CapturesBothStreamsUnchangedAndTheExitStatus) {
  const auto result = ranShell("printf 'out\\n'; printf ' err\\n' >&2; exit 5");
  EXPECT_EQ(result.status, 5);
  EXPECT_EQ(result.standardOutput, "out\n");
  EXPECT_EQ(result.standardError, " err\n");
}

TEST(PosixProcesses, InheritsTheEnvironmentAndWorkingDirectory) {
  ASSERT_EQ(::setenv("TAVELIN_PROBE", "inherited", 1), 0);
  const auto result = ranShell("printf '%s %s' \"$TAVELIN_PROBE\" \"$(pwd -P)\"");
  ::unsetenv("TAVELIN_PROBE");
  EXPECT_EQ(result.standardOutput, "inherited " + std::filesystem::canonical(".").string());
}

// Far more than a pipe holds on either stream, written at the same time: a
// reader that finishes one stream before the other deadlocks here.
TEST(PosixProcesses, DrainsLargeOutputOnBothStreamsAtOnce) {
  constexpr std::size_t size = 4 << 20;
  const auto result = ranShell(
      "head -c \"$1\" /dev/zero | tr '\\0' o & head -c \"$1\" /dev/zero | tr '\\0' e >&2; wait",
      {"sh", std::to_string(size)});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.standardOutput.size(), size);
  EXPECT_EQ(result.standardError.size(), size);
  EXPECT_EQ(std::ranges::count(result.standardOutput, 'o'), static_cast<long>(size));
  EXPECT_EQ(std::ranges::count(result.standardError, 'e'), static_cast<long>(size));
}

// A signal ends the child with 128 + its number, and the child starts with
// default signal actions and nothing blocked, whatever this thread has set.
TEST(PosixProcesses, ReportsDeathBySignalAndGivesTheChildCleanSignals) {
  struct Case {
    const char* name;
    const char* script;
    std::function<void()> setUp;
    std::function<void()> tearDown;
    int status;
  };
  sigset_t term;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  const Case cases[] = {
      {"killed", "kill -KILL $$", [] {}, [] {}, 128 + SIGKILL},
      {"SIGPIPE ignored here", "kill -PIPE $$; exit 0", [] { ::signal(SIGPIPE, SIG_IGN); },
       [] { ::signal(SIGPIPE, SIG_DFL); }, 128 + SIGPIPE},
      {"SIGTERM blocked here", "kill -TERM $$; exit 0", [&] { ::pthread_sigmask(SIG_BLOCK, &term, nullptr); },
       [&] { ::pthread_sigmask(SIG_UNBLOCK, &term, nullptr); }, 128 + SIGTERM},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.setUp();
    const auto result = ranShell(c.script);
    c.tearDown();
    EXPECT_EQ(result.status, c.status);
  }
}

TEST(PosixProcesses, ReportsWhyAProgramCouldNotStart) {
  struct Case {
    const char* executable;
    const char* description;
  };
  for (const auto& c : {Case{"/nonexistent/program", "No such file or directory"},
                        Case{"/etc/passwd", "Permission denied"}}) {
    SCOPED_TRACE(c.executable);
    const auto result = PosixProcesses{}.run(c.executable, {});
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), c.description);
  }
}

TEST(PosixProcesses, LeavesNoDescriptorOpenBehind) {
  const auto before = openDescriptors(false);
  PosixProcesses processes;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(processes.run("/bin/sh", {"-c", "echo out; echo err >&2; exit 1"}).has_value());
    EXPECT_FALSE(processes.run("/nonexistent/program", {"-c", "true"}).has_value());
  }
  EXPECT_EQ(openDescriptors(false), before);
}

// Every child must see exactly what this process hands down: its inheritable
// descriptors and its own two pipes, never a pipe end of a run on another
// thread (which would also hold that run's reads open until the child ends).
TEST(PosixProcesses, RunsFromSeveralThreadsWithoutChildrenSharingPipes) {
  auto expected = openDescriptors(true);
  expected.insert({1, 2});
  PosixProcesses processes;
  std::vector<std::jthread> threads;
  for (int t = 1; t <= 8; ++t) {
    threads.emplace_back([&processes, &expected, t] {
      for (int i = 0; i < 6; ++i) {
        const auto result = processes.run(
            "/bin/sh", {"-c", "ls /proc/$$/fd; echo \"$1\" >&2; exit \"$1\"", "sh", std::to_string(t)});
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->status, t);
        EXPECT_EQ(result->standardError, std::to_string(t) + "\n");
        EXPECT_EQ(numbersIn(result->standardOutput), expected);
      }
    });
  }
}

}  // namespace
}  // namespace tavelin::app
