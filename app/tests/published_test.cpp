#include <gtest/gtest.h>

#include "fakes/ManualClock.hpp"
#include "runtime/Published.hpp"

namespace tavelin::app {
namespace {

TEST(Published, DeliversTheCurrentValueThenEveryNewOneUntilTheTokenIsDropped) {
  Published<int> value(1);
  std::vector<int> heard;
  auto token = value.subscribe([&](const int& v) { heard.push_back(v); });
  value.set(2);
  value.set(2);
  token.cancel();
  value.set(3);
  EXPECT_EQ(heard, (std::vector<int>{1, 2, 2}));
  EXPECT_EQ(value.value(), 3);
}

TEST(Published, HoldsItsOwnerWeakly) {
  struct Owner {
    int calls = 0;
  };
  Published<int> value(0);
  auto owner = std::make_shared<Owner>();
  const std::weak_ptr<Owner> watch = owner;
  auto token = value.subscribe<Owner>(owner, [](Owner& o, const int&) { ++o.calls; });
  value.set(1);
  EXPECT_EQ(owner->calls, 2);
  owner.reset();
  EXPECT_TRUE(watch.expired());  // the subscription did not keep it alive
  value.set(2);                  // and does nothing now
}

TEST(Published, AnObserverMayDropAnotherTokenMidRound) {
  Published<int> value(0);
  Subscription second;
  int second_calls = 0;
  auto first = value.subscribe([&](const int& v) {
    if (v == 1) second.cancel();
  });
  second = value.subscribe([&](const int&) { ++second_calls; });
  value.set(1);
  EXPECT_EQ(second_calls, 1);  // only the value it heard on subscribing
}

TEST(ManualClock, RunsDueTasksInTimeOrderAndHonoursCancellation) {
  testing::ManualClock clock;
  std::vector<std::string> ran;
  auto late = clock.after(1.0, [&] { ran.push_back("late@" + std::to_string(clock.now())); });
  auto early = clock.after(0.3, [&] {
    ran.push_back("early");
    clock.post([&] { ran.push_back("posted"); });
  });
  auto cancelled = clock.after(0.5, [&] { ran.push_back("cancelled"); });
  cancelled->cancel();
  clock.advance(0.29);
  EXPECT_TRUE(ran.empty());
  clock.advance(1.0);
  EXPECT_EQ(ran, (std::vector<std::string>{"early", "posted", "late@1.000000"}));
  auto dropped = clock.after(0.1, [&] { ran.push_back("dropped"); });
  dropped.reset();
  clock.advance(1);
  EXPECT_EQ(ran.size(), 3u);
}

}  // namespace
}  // namespace tavelin::app
