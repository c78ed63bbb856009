#pragma once

#include <QObject>
#include <memory>

#include "platform/MainQueue.hpp"

namespace tavelin::app {

// The main queue over the Qt event loop. Made on the main thread once the
// application object exists; it must outlive every task handed to it, since
// background work posts its results back through it.
class QtMainQueue final : public MainQueue {
 public:
  QtMainQueue();
  ~QtMainQueue() override;
  QtMainQueue(const QtMainQueue&) = delete;
  QtMainQueue& operator=(const QtMainQueue&) = delete;

  // Queued on an object living in the main thread, so the task runs there
  // whichever thread posts it.
  void post(std::function<void()> task) override;

  // Main thread only: the returned call owns its timer, so dropping it stops
  // the timer and nothing runs.
  std::unique_ptr<DelayedCall> after(double seconds, std::function<void()> task) override;

  // On the application's global thread pool.
  void background(std::function<void()> work) override;

 private:
  std::unique_ptr<QObject> context_;
};

}  // namespace tavelin::app
