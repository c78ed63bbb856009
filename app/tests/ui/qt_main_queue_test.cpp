#include <gtest/gtest.h>

#include <QCoreApplication>

#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/linux/qt/QtMainQueue.hpp"
#include "ui/QtEventLoop.hpp"

namespace tavelin::app {
namespace {

using testing::processEventsUntil;

bool onMainThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

TEST(QtMainQueue, PostsRunLaterOnTheMainThreadInOrderFromAnyThread) {
  QtMainQueue queue;
  std::vector<int> order;
  std::atomic<int> offMain{0};
  queue.post([&] {
    if (!onMainThread()) ++offMain;
    order.push_back(1);
  });
  std::thread other([&] {
    queue.post([&] {
      if (!onMainThread()) ++offMain;
      order.push_back(2);
    });
  });
  other.join();
  EXPECT_TRUE(order.empty()) << "a post never runs inside the call";
  ASSERT_TRUE(processEventsUntil([&] { return order.size() == 2; }));
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_EQ(offMain, 0);
}

TEST(QtMainQueue, DelayedCallsRunOnceWhenDueUnlessCancelledOrDropped) {
  QtMainQueue queue;
  std::vector<std::string> ran;
  QElapsedTimer clock;
  clock.start();
  qint64 dueAt = -1;

  auto kept = queue.after(0.05, [&] {
    EXPECT_TRUE(onMainThread());
    dueAt = clock.elapsed();
    ran.push_back("kept");
  });
  auto cancelled = queue.after(0.02, [&] { ran.push_back("cancelled"); });
  cancelled->cancel();
  queue.after(0.02, [&] { ran.push_back("dropped"); });  // the handle goes at once
  // Due after the others: once it has run, they all had their chance.
  auto last = queue.after(0.1, [&] { ran.push_back("last"); });

  ASSERT_TRUE(processEventsUntil([&] { return ran.size() >= 2; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"kept", "last"}));
  EXPECT_GE(dueAt, 50);
}

TEST(QtMainQueue, ATaskMayDropItsOwnDelayedCall) {
  // As a pending reset does when it resets the session that holds it.
  QtMainQueue queue;
  std::unique_ptr<DelayedCall> call;
  int runs = 0;
  call = queue.after(0, [&] {
    ++runs;
    call.reset();
    // And schedule afresh from inside, as a new miss would.
    call = queue.after(0, [&] { ++runs; });
  });
  ASSERT_TRUE(processEventsUntil([&] { return runs == 2; }));
  call.reset();
}

TEST(QtMainQueue, BackgroundWorkRunsOffTheMainThreadAndPostsItsResultBack) {
  QtMainQueue queue;
  std::atomic<bool> workOnMain{true};
  bool resultOnMain = false;
  bool done = false;
  queue.background([&] {
    workOnMain = onMainThread();
    queue.post([&] {
      resultOnMain = onMainThread();
      done = true;
    });
  });
  ASSERT_TRUE(processEventsUntil([&] { return done; }));
  EXPECT_FALSE(workOnMain);
  EXPECT_TRUE(resultOnMain);
}

}  // namespace
}  // namespace tavelin::app
