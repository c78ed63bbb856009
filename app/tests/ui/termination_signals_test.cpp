#include <gtest/gtest.h>

#include <csignal>

#include "platform/linux/qt/TerminationSignals.hpp"
#include "ui/QtEventLoop.hpp"

namespace tavelin::app {
namespace {

TEST(TerminationSignals, TermAndIntQuitOnTheMainThreadThroughTheLoop) {
  int quits = 0;
  TerminationSignals signals([&] { ++quits; });
  ASSERT_TRUE(signals.installed());
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    const int before = quits;
    ASSERT_EQ(std::raise(signal), 0);
    EXPECT_EQ(quits, before) << "nothing runs inside the signal handler";
    EXPECT_TRUE(testing::processEventsUntil([&] { return quits == before + 1; }));
  }
}

}  // namespace
}  // namespace tavelin::app
