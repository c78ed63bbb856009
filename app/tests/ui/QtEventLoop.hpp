#pragma once

// Drives the Qt event loop in a test until a condition holds or a deadline
// passes: no test sleeps for a fixed time.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

namespace tavelin::app::testing {

template <class Condition>
bool processEventsUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  QElapsedTimer clock;
  clock.start();
  // Wakes the loop now and then, so the deadline is seen even when nothing
  // else happens.
  QTimer tick;
  tick.start(10);
  QEventLoop loop;
  while (!condition()) {
    if (clock.elapsed() > timeout.count()) return false;
    loop.processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

}  // namespace tavelin::app::testing
