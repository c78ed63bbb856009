#pragma once

// The application's one diagnostic channel: stamped lines appended to
// ~/Library/Logs/Tavelin.log by one serial writer, never failing the caller.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tavelin::app {

enum class LogLevel { Debug, Info, Default, Error, Fault };

// "debug", "info", "warn", "error", "fault".
std::string_view logLevelWord(LogLevel level);

// One line of the file: local time "yyyy-MM-dd HH:mm:ss.SSS", two spaces, the
// level word padded to five, two spaces, the message, a line feed.
std::string formatLogLine(std::chrono::system_clock::time_point when, LogLevel level, std::string_view message);

// Appends lines to one file from a serial background writer that follows the
// path: a file deleted or replaced between two lines is re-created.
class LogWriter {
 public:
  explicit LogWriter(std::filesystem::path file);
  ~LogWriter();  // drains what was handed over, then stops the writer
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  const std::filesystem::path& file() const;

  // Stamps the line now and hands it to the writer; returns at once.
  void write(LogLevel level, std::string_view message);

  // Blocks until every line handed over so far is in the file (or dropped).
  void flush();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Observes every message handed to Log, on the caller's thread; the
// observation ends when the token is dropped. Tests read outcomes through it.
// Once the destructor returns the observer is not running on any other thread
// and is never called again, so it may capture locals of the scope that owns
// the tap.
class LogTap {
 public:
  using Observer = std::function<void(LogLevel, std::string_view)>;
  explicit LogTap(Observer observer);
  ~LogTap();
  LogTap(const LogTap&) = delete;
  LogTap& operator=(const LogTap&) = delete;

  struct Slot;  // the observer with its liveness, shared with deliveries in flight

 private:
  std::shared_ptr<Slot> slot_;
};

// The process-wide log. Created on first use: the file is
// $HOME/Library/Logs/Tavelin.log (the temporary directory when HOME is unset).
struct Log {
  static void debug(std::string_view message);
  static void info(std::string_view message);
  static void warn(std::string_view message);
  static void error(std::string_view message);

  // Writes "── Tavelin stopped ──" and waits until every earlier line is in
  // the file.
  static void endSession();

  static std::filesystem::path fileURL();
};

}  // namespace tavelin::app
