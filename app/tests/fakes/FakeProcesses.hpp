#pragma once

// Child processes on a script: each executable answers from its own queue of
// results, in order, and every run is recorded. An executable with nothing
// (left) to answer cannot be started, like a program that is not there.

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Processes.hpp"

namespace tavelin::app::testing {

class FakeProcesses final : public Processes {
 public:
  using Result = std::expected<ProcessResult, std::string>;

  struct Call {
    std::string executable;
    std::vector<std::string> arguments;
    bool operator==(const Call&) const = default;
  };

  static Result exited(int status, std::string standardOutput = "", std::string standardError = "") {
    return ProcessResult{status, std::move(standardOutput), std::move(standardError)};
  }

  void answer(const std::string& executable, Result result) {
    std::lock_guard guard(lock_);
    answers_[executable].push_back(std::move(result));
  }

  std::vector<Call> calls() const {
    std::lock_guard guard(lock_);
    return calls_;
  }

  Result run(const std::string& executable, const std::vector<std::string>& arguments) override {
    std::lock_guard guard(lock_);
    calls_.push_back({executable, arguments});
    auto& queue = answers_[executable];
    if (queue.empty()) return std::unexpected("No such file or directory");
    Result next = std::move(queue.front());
    queue.pop_front();
    return next;
  }

 private:
  mutable std::mutex lock_;
  std::vector<Call> calls_;
  std::map<std::string, std::deque<Result>> answers_;
};

}  // namespace tavelin::app::testing
