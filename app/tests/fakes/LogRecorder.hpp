#pragma once

// Collects every line handed to the log while it lives.

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/Log.hpp"

namespace tavelin::app::testing {

class LogRecorder {
 public:
  struct Line {
    LogLevel level;
    std::string message;
    bool operator==(const Line&) const = default;
  };

  std::vector<Line> lines() const {
    std::lock_guard guard(lock_);
    return lines_;
  }

  bool has(LogLevel level, const std::string& message) const {
    const auto all = lines();
    return std::ranges::find(all, Line{level, message}) != all.end();
  }

  void clear() {
    std::lock_guard guard(lock_);
    lines_.clear();
  }

 private:
  mutable std::mutex lock_;
  std::vector<Line> lines_;
  LogTap tap_{[this](LogLevel level, std::string_view message) {
    std::lock_guard guard(lock_);
    lines_.push_back({level, std::string(message)});
  }};
};

}  // namespace tavelin::app::testing
