#pragma once

// An AppleScript interpreter that records every source it is handed and
// answers from a script of results: the queued answers in order, then
// `otherwise` for every call after them.

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/AppleScriptEngine.hpp"

namespace tavelin::app::testing {

class FakeAppleScriptEngine final : public AppleScriptEngine {
 public:
  void answerNext(AppleScriptResult result) {
    std::lock_guard guard(lock_);
    answers_.push_back(std::move(result));
  }

  void answerOtherwise(AppleScriptResult result) {
    std::lock_guard guard(lock_);
    otherwise_ = std::move(result);
  }

  std::vector<std::string> sources() const {
    std::lock_guard guard(lock_);
    return sources_;
  }

  AppleScriptResult execute(const std::string& source) override {
    std::lock_guard guard(lock_);
    sources_.push_back(source);
    if (answers_.empty()) return otherwise_;
    AppleScriptResult next = std::move(answers_.front());
    answers_.pop_front();
    return next;
  }

 private:
  mutable std::mutex lock_;
  std::vector<std::string> sources_;
  std::deque<AppleScriptResult> answers_;
  AppleScriptResult otherwise_{AppleScriptResult::Ran{}};
};

}  // namespace tavelin::app::testing
