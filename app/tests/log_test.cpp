#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/Log.hpp"
#include "temp_dir.hpp"

namespace tavelin::app {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::read_file;
using testing::write_file;

struct ParsedLine {
  std::string stamp;
  std::string word;  // five columns, padding included
  std::string message;
};

// Takes a line apart by columns: "yyyy-MM-dd HH:mm:ss.SSS", two spaces, a
// five-column level word, two spaces, the message.
std::optional<ParsedLine> parse(const std::string& line) {
  static constexpr std::string_view stampShape = "dddd-dd-dd dd:dd:dd.ddd";
  static const std::string words[] = {"debug", "info ", "warn ", "error", "fault"};
  if (line.size() < 32) return std::nullopt;
  for (std::size_t i = 0; i < stampShape.size(); ++i) {
    const bool ok = stampShape[i] == 'd' ? (line[i] >= '0' && line[i] <= '9') : line[i] == stampShape[i];
    if (!ok) return std::nullopt;
  }
  ParsedLine parsed{line.substr(0, 23), line.substr(25, 5), line.substr(32)};
  if (line.compare(23, 2, "  ") != 0 || line.compare(30, 2, "  ") != 0) return std::nullopt;
  if (std::find(std::begin(words), std::end(words), parsed.word) == std::end(words)) return std::nullopt;
  return parsed;
}

// The file's lines without their line feeds; the file must end with one.
std::vector<std::string> linesOf(const fs::path& file) {
  const std::string text = read_file(file);
  EXPECT_TRUE(text.empty() || text.back() == '\n') << "a partial last line in " << file;
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The messages of a file in which every line must be a whole stamped line.
std::vector<std::string> messagesOf(const fs::path& file) {
  std::vector<std::string> messages;
  for (const std::string& line : linesOf(file)) {
    const auto parsed = parse(line);
    EXPECT_TRUE(parsed) << "not a log line: \"" << line << "\"";
    if (parsed) messages.push_back(parsed->message);
  }
  return messages;
}

using Messages = std::vector<std::string>;

std::chrono::system_clock::time_point localInstant(int year, int month, int day, int hour, int minute, int second,
                                                   int millis) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(millis);
}

TEST(LogLine, StampsInLocalTimeAndPadsTheWordToFiveColumns) {
  const auto may = localInstant(2024, 5, 17, 8, 3, 9, 42);
  const auto newYear = localInstant(2023, 1, 2, 0, 0, 0, 0);
  const auto lastMilli = localInstant(1999, 12, 31, 23, 59, 59, 999);
  const struct {
    std::chrono::system_clock::time_point when;
    LogLevel level;
    std::string message;
    std::string expected;
  } cases[] = {
      {may, LogLevel::Debug, "bookkeeping", "2024-05-17 08:03:09.042  debug  bookkeeping\n"},
      {may, LogLevel::Info, "ran open Browser", "2024-05-17 08:03:09.042  info   ran open Browser\n"},
      {may, LogLevel::Default, "Config change refused: x.", "2024-05-17 08:03:09.042  warn   Config change refused: x.\n"},
      {may, LogLevel::Error, "failed x · y", "2024-05-17 08:03:09.042  error  failed x · y\n"},
      {may, LogLevel::Fault, "gone", "2024-05-17 08:03:09.042  fault  gone\n"},
      // Midnight, the last millisecond of a second, and messages kept verbatim:
      // empty, format directives, surrounding spaces, a line feed.
      {newYear, LogLevel::Info, "", "2023-01-02 00:00:00.000  info   \n"},
      {lastMilli, LogLevel::Info, "%s %n %%", "1999-12-31 23:59:59.999  info   %s %n %%\n"},
      {may, LogLevel::Info, "  padded  ", "2024-05-17 08:03:09.042  info     padded  \n"},
      {may, LogLevel::Info, "first\nsecond", "2024-05-17 08:03:09.042  info   first\nsecond\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatLogLine(c.when, c.level, c.message), c.expected);
  }
}

TEST(LogWriterLines, WritesEveryLevelStampedAtTheMomentOfTheCall) {
  const TempDir dir;
  LogWriter writer(dir / "Tavelin.log");
  EXPECT_EQ(writer.file(), dir / "Tavelin.log");
  const LogLevel levels[] = {LogLevel::Debug, LogLevel::Info, LogLevel::Default, LogLevel::Error, LogLevel::Fault};
  const std::string earliest = formatLogLine(std::chrono::system_clock::now(), LogLevel::Info, "").substr(0, 23);
  for (LogLevel level : levels) writer.write(level, "said at " + std::string(logLevelWord(level)));
  writer.write(LogLevel::Info, "first\nsecond");
  writer.flush();
  const std::string latest = formatLogLine(std::chrono::system_clock::now(), LogLevel::Info, "").substr(0, 23);

  const auto lines = linesOf(writer.file());
  ASSERT_EQ(lines.size(), 7u);
  const char* words[] = {"debug", "info ", "warn ", "error", "fault"};
  for (std::size_t i = 0; i < 5; ++i) {
    const auto parsed = parse(lines[i]);
    ASSERT_TRUE(parsed) << lines[i];
    EXPECT_EQ(parsed->word, words[i]);
    EXPECT_EQ(parsed->message, "said at " + std::string(logLevelWord(levels[i])));
    EXPECT_GE(parsed->stamp, earliest);
    EXPECT_LE(parsed->stamp, latest);
  }
  // A line feed inside a message starts a line of its own, without a stamp.
  const auto first = parse(lines[5]);
  ASSERT_TRUE(first) << lines[5];
  EXPECT_EQ(first->message, "first");
  EXPECT_EQ(lines[6], "second");
}

TEST(LogWriterLines, DestructionDrainsEverythingHandedOver) {
  const TempDir dir;
  Messages said;
  {
    LogWriter writer(dir / "Tavelin.log");
    for (int i = 0; i < 500; ++i) {
      said.push_back("line " + std::to_string(i));
      writer.write(LogLevel::Info, said.back());
    }
  }
  EXPECT_EQ(messagesOf(dir / "Tavelin.log"), said);
}

// Between two lines the file at the path is taken away or swapped; the second
// line must go to whatever file now holds the path (a fresh one if none), and
// an existing file is appended to, never truncated.
TEST(LogWriterFollowsThePath, AfterTheFileIsDeletedMovedAwayOrReplaced) {
  const struct {
    const char* name;
    std::function<void(const TempDir&)> disturb;
    Messages expectedAtPath;
    Messages expectedInMoved;
  } cases[] = {
      {"deleted", [](const TempDir& d) { fs::remove(d / "Tavelin.log"); }, {"after"}, {}},
      {"moved away", [](const TempDir& d) { fs::rename(d / "Tavelin.log", d / "moved.log"); }, {"after"}, {"before"}},
      {"replaced",
       [](const TempDir& d) {
         write_file(d / "other.log", "2024-05-17 08:03:09.042  info   kept\n");
         fs::rename(d / "other.log", d / "Tavelin.log");
       },
       {"kept", "after"},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TempDir dir;
    LogWriter writer(dir / "Tavelin.log");
    writer.write(LogLevel::Info, "before");
    writer.flush();
    c.disturb(dir);
    writer.write(LogLevel::Info, "after");
    writer.flush();
    EXPECT_EQ(messagesOf(dir / "Tavelin.log"), c.expectedAtPath);
    if (!c.expectedInMoved.empty()) {
      EXPECT_EQ(messagesOf(dir / "moved.log"), c.expectedInMoved);
    }
  }
}

TEST(LogWriterFollowsThePath, DropsLinesWhileTheFolderCannotExistThenMakesItAndCarriesOn) {
  const TempDir dir;
  // A regular file where the folder should be: even root cannot write there.
  write_file(dir / "notadir", "in the way\n");
  LogWriter writer(dir / "notadir" / "deeper" / "Tavelin.log");
  writer.write(LogLevel::Error, "lost");
  writer.flush();  // returns: the line is dropped, not retried forever
  EXPECT_EQ(read_file(dir / "notadir"), "in the way\n");

  fs::remove(dir / "notadir");
  writer.write(LogLevel::Info, "arrives");
  writer.flush();
  EXPECT_EQ(messagesOf(writer.file()), Messages{"arrives"});
}

TEST(LogWriterLines, ManyThreadsLoseNothingAndNeverInterleave) {
  constexpr int kThreads = 8;
  constexpr int kLines = 2000;
  const TempDir dir;
  LogWriter writer(dir / "Tavelin.log");
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&writer, t] {
        for (int i = 0; i < kLines; ++i) {
          writer.write(LogLevel::Info, "thread " + std::to_string(t) + " line " + std::to_string(i) + " end");
        }
      });
    }
  }
  writer.flush();

  std::vector<int> next(kThreads, 0);
  const Messages messages = messagesOf(writer.file());
  ASSERT_EQ(messages.size(), std::size_t{kThreads * kLines});
  for (const std::string& message : messages) {
    int thread = -1;
    int line = -1;
    char end[4] = {};
    ASSERT_EQ(std::sscanf(message.c_str(), "thread %d line %d %3s", &thread, &line, end), 3) << message;
    ASSERT_STREQ(end, "end") << message;
    ASSERT_TRUE(thread >= 0 && thread < kThreads) << message;
    ASSERT_EQ(line, next[static_cast<std::size_t>(thread)]++) << "out of order for thread " << thread;
  }
}

// The process-wide Log is worked out once from HOME. Every test process
// starts with a fresh HOME of its own (see fakes/TestHome.cpp), so these
// tests read the log where that HOME puts it.
class LogShared : public ::testing::Test {
 protected:
  static fs::path home() { return fs::path(std::getenv("HOME")); }
  static fs::path expectedFile() { return home() / "Library" / "Logs" / "Tavelin.log"; }
};

TEST_F(LogShared, TheFirstLineMakesTheFolderChainAndEndSessionLeavesEveryLineInTheFile) {
  if (fs::exists(home() / "Library")) GTEST_SKIP() << "Log was already in use in this process";
  Log::debug("one");
  Log::info("two");
  Log::warn("three");
  Log::error("four");
  Log::endSession();

  EXPECT_EQ(Log::fileURL(), expectedFile());
  const auto lines = linesOf(expectedFile());
  ASSERT_GE(lines.size(), 5u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"debug", "one"}, {"info ", "two"}, {"warn ", "three"}, {"error", "four"}, {"info ", "── Tavelin stopped ──"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto parsed = parse(lines[lines.size() - expected.size() + i]);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->word, expected[i].first);
    EXPECT_EQ(parsed->message, expected[i].second);
  }
}

TEST_F(LogShared, TapsHearEveryMessageOnTheCallersThreadUntilDropped) {
  ASSERT_EQ(Log::fileURL(), expectedFile());
  struct Heard {
    LogLevel level;
    std::string message;
    std::thread::id thread;
    bool operator==(const Heard&) const = default;
  };
  std::vector<Heard> first;
  std::vector<Heard> second;
  auto record = [](std::vector<Heard>& into) {
    return [&into](LogLevel level, std::string_view message) {
      into.push_back({level, std::string(message), std::this_thread::get_id()});
    };
  };
  const auto me = std::this_thread::get_id();
  {
    LogTap one(record(first));
    {
      LogTap two(record(second));
      Log::debug("a");
      Log::warn("b");
    }
    Log::error("c");
  }
  Log::info("unheard");
  EXPECT_EQ(first, (std::vector<Heard>{{LogLevel::Debug, "a", me}, {LogLevel::Default, "b", me}, {LogLevel::Error, "c", me}}));
  EXPECT_EQ(second, (std::vector<Heard>{{LogLevel::Debug, "a", me}, {LogLevel::Default, "b", me}}));
}

TEST_F(LogShared, AnObserverMayLogAndDropItsOwnTap) {
  ASSERT_EQ(Log::fileURL(), expectedFile());
  std::vector<std::string> heard;
  std::unique_ptr<LogTap> tap;
  tap = std::make_unique<LogTap>([&](LogLevel, std::string_view message) {
    heard.emplace_back(message);
    if (message == "first") Log::info("echo");  // heard at once, from inside the first delivery
    if (message == "echo") tap.reset();
  });
  Log::info("first");
  Log::info("after the drop");
  EXPECT_EQ(tap, nullptr);
  EXPECT_EQ(heard, (std::vector<std::string>{"first", "echo"}));
}

TEST_F(LogShared, ATapDroppedWhileItsObserverRunsElsewhereWaitsForItToFinish) {
  ASSERT_EQ(Log::fileURL(), expectedFile());
  std::mutex mutex;
  std::condition_variable changed;
  bool entered = false;
  bool dropped = false;
  bool droppedWhileRunning = false;
  auto tap = std::make_unique<LogTap>([&](LogLevel, std::string_view) {
    std::unique_lock lock(mutex);
    entered = true;
    changed.notify_all();
    // If the drop does not wait for this call, it completes within the watch.
    droppedWhileRunning = changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return dropped; });
  });
  std::jthread logger([] { Log::info("heard on another thread"); });
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return entered; });
  }
  tap.reset();
  {
    std::lock_guard lock(mutex);
    dropped = true;
  }
  changed.notify_all();
  logger.join();
  EXPECT_FALSE(droppedWhileRunning);
}

// Without a home the log goes to the temporary folder, never to /Library.
// Each case runs in a fresh process, since the path is worked out once.
TEST(LogSharedWithoutHome, FallsBackToTheTemporaryFolder) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::function<void()> clearHome[] = {[] { ::unsetenv("HOME"); }, [] { ::setenv("HOME", "", 1); }};
  for (const auto& clear : clearHome) {
    EXPECT_EXIT(
        {
          const int code = [&] {
            const TempDir tmp;
            ::setenv("TMPDIR", tmp.path().c_str(), 1);
            clear();
            Log::info("no home");
            Log::endSession();
            const fs::path expected = fs::path(tmp.path()) / "Tavelin.log";
            if (Log::fileURL() != expected) return 2;
            const auto lines = linesOf(expected);
            return lines.size() == 2 && parse(lines[0]) && parse(lines[0])->message == "no home" ? 0 : 3;
          }();
          std::exit(code);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

}  // namespace
}  // namespace tavelin::app
