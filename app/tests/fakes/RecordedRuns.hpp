#pragma once

// A RunAction that runs nothing: it keeps each call, with its completion, for
// the test to finish as the runner would.

#include <functional>
#include <vector>

#include "controllers/ActionRunner.hpp"

namespace tavelin::app::testing {

struct RecordedRuns {
  struct Run {
    KeyAction action;
    RunningApplicationRef target;
    ActionRunner::Completion completion;
  };

  RunAction runner() {
    return [this](const KeyAction& action, RunningApplicationRef target, ActionRunner::Completion completion) {
      if (onRun) onRun();
      runs.push_back({action, std::move(target), std::move(completion)});
    };
  }

  std::vector<Run> runs;
  std::function<void()> onRun;  // sees the world as the action would
};

}  // namespace tavelin::app::testing
