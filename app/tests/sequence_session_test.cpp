#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tavelin/lib.hpp>

#include "fakes/FakeDesktop.hpp"
#include "fakes/LogRecorder.hpp"
#include "fakes/RecordedRuns.hpp"
#include "fakes/TempCore.hpp"
#include "runtime/SequenceSession.hpp"

namespace tavelin::app {
namespace {

using State = SequenceSession::State;

class SequenceSessionTest : public ::testing::Test {
 protected:
  void type(std::string_view keys) {
    for (const char key : keys) session->press(std::string(1, key));
  }
  void adopt(Store::Result changed) {
    ASSERT_TRUE(changed) << changed.error().message;
    core.adopt(*changed);
  }
  State idle() const { return {"", core.settings().sequences, Status::waiting, std::nullopt}; }
  const State& state() const { return session->state(); }

  testing::TempCore temp;
  Core& core = *temp.core;
  testing::LogRecorder log;
  testing::RecordedRuns ran;
  int windowTakenDown = 0;
  std::shared_ptr<SequenceSession> session =
      SequenceSession::make(core, temp.clock, ran.runner(), [this] { ++windowTakenDown; });
};

TEST_F(SequenceSessionTest, AMissIsShownThenClearsItselfAfterSixTenthsOfASecond) {
  ASSERT_EQ(state(), idle());
  session->press("x");
  const State miss{"x", {}, Status::unmatched, "Nothing is bound to x."};
  EXPECT_EQ(state(), miss);
  EXPECT_TRUE(log.has(LogLevel::Info, "unmatched x"));

  temp.clock.advance(0.59);
  EXPECT_EQ(state(), miss);
  temp.clock.advance(0.02);
  EXPECT_EQ(state(), idle());
  EXPECT_EQ(core.resolver().typed(), "");
}

TEST_F(SequenceSessionTest, AKeyDuringAMissExtendsTheTextAndPostponesTheReset) {
  session->press("x");
  temp.clock.advance(0.5);
  session->press("y");
  const State miss{"xy", {}, Status::unmatched, "Nothing is bound to xy."};
  EXPECT_EQ(state(), miss);
  temp.clock.advance(0.2);  // past the first miss's reset
  EXPECT_EQ(state(), miss);

  // A key the resolver ignores changes nothing, so the miss still clears on time.
  session->press("\t");
  EXPECT_EQ(state(), miss);
  temp.clock.advance(0.41);
  EXPECT_EQ(state(), idle());
}

TEST_F(SequenceSessionTest, AFiredActionAimsAtThePreviousAppAndItsFailureShowsForFourSeconds) {
  testing::FakeDesktop desktop;
  auto editor = desktop.addApp("Editor");
  session->setPreviousApp(editor);
  ran.onRun = [this] {
    EXPECT_EQ(windowTakenDown, static_cast<int>(ran.runs.size()) + 1) << "the window goes down before the action starts";
  };

  type("wh");
  ASSERT_EQ(ran.runs.size(), 1u);
  EXPECT_EQ(ran.runs[0].action, (KeyAction{KeyAction::Window{WindowAction::MoveLeft}}));
  EXPECT_EQ(ran.runs[0].target, editor);
  EXPECT_TRUE(log.has(LogLevel::Info, "fire wh · Window: Move Left"));
  EXPECT_EQ(state().typed, "");
  EXPECT_EQ(state().status, Status::ran);
  EXPECT_EQ(core.resolver().typed(), "");

  session->reset();
  ran.runs[0].completion(ActionRunner::Failure{Status::failed, "The front window cannot be moved."});
  State failed = idle();
  failed.status = Status::failed;
  failed.message = "The front window cannot be moved.";
  EXPECT_EQ(state(), failed);
  temp.clock.advance(3.9);
  EXPECT_EQ(state(), failed);
  temp.clock.advance(0.2);
  EXPECT_EQ(state(), idle());

  // Success says nothing; a completion that outlives the session is dropped.
  type("wl");
  ASSERT_EQ(ran.runs.size(), 2u);
  const State afterFire = state();
  ran.runs[1].completion(std::nullopt);
  EXPECT_EQ(state(), afterFire);
  session.reset();
  ran.runs[1].completion(ActionRunner::Failure{Status::failed, "Too late."});
  temp.clock.advance(5);
}

TEST_F(SequenceSessionTest, NewSequencesRefreshTheListWhileOtherChangesLeaveTheScreenAlone) {
  // The fresh defaults are in build order until the first save sorts them.
  adopt(core.store().set_view_type(ViewType::Compact));
  session->press("x");
  adopt(core.store().set_view_type(ViewType::Grid));
  adopt(core.store().set_main_window({700, 500}));
  EXPECT_EQ(state().typed, "x");
  EXPECT_EQ(state().status, Status::unmatched);

  adopt(core.store().upsert_sequence({new_identifier(), "x", "Xylophone", {KeyAction::Command{"true"}}}));
  ASSERT_EQ(core.settings().sequences.size(), 18u);
  EXPECT_EQ(state().typed, "");  // the resolver forgets a prefix typed against other bindings
  EXPECT_EQ(state().candidates, core.settings().sequences);
  EXPECT_EQ(state().status, Status::waiting);
}

}  // namespace
}  // namespace tavelin::app
