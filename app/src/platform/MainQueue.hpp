#pragma once

#include <functional>
#include <memory>

namespace tavelin::app {

// A delayed call that can be called off until it has run.
class DelayedCall {
 public:
  virtual ~DelayedCall() = default;
  virtual void cancel() = 0;
};

// The main thread's queue: where all application state lives and where every
// completion of asynchronous work lands.
class MainQueue {
 public:
  virtual ~MainQueue() = default;

  // Runs `task` on the main thread soon. Callable from any thread.
  virtual void post(std::function<void()> task) = 0;

  // Runs `task` on the main thread `seconds` from now, unless the returned
  // handle is cancelled first (or dropped: the handle owns the call).
  virtual std::unique_ptr<DelayedCall> after(double seconds, std::function<void()> task) = 0;

  // Runs `work` off the main thread; work that has a result posts it back.
  virtual void background(std::function<void()> work) = 0;
};

}  // namespace tavelin::app
