#pragma once

// Reading RunOutcomes in tests: a readable printout, and a run that must
// complete exactly once, and only once the main queue has run.

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "controllers/RunOutcome.hpp"
#include "fakes/ManualClock.hpp"

namespace tavelin::app {

inline void PrintTo(const RunOutcome& outcome, std::ostream* out) {
  *out << (outcome.kind == RunOutcome::Kind::ran ? "ran" : "failed") << "(\"" << outcome.text << "\")";
}

namespace testing {

template <typename Start>
RunOutcome completedOnce(ManualClock& clock, Start start) {
  std::vector<RunOutcome> outcomes;
  start([&outcomes](RunOutcome outcome) { outcomes.push_back(std::move(outcome)); });
  EXPECT_TRUE(outcomes.empty()) << "completed before the main queue ran";
  clock.drain();
  clock.drain();  // work the first round posted
  EXPECT_EQ(outcomes.size(), 1u);
  return outcomes.empty() ? RunOutcome::failed("<no completion>") : outcomes.front();
}

}  // namespace testing
}  // namespace tavelin::app
