#pragma once

// A main queue on a virtual clock: nothing runs until the test advances time,
// and then every due task runs in the order of its due time (ties in the order
// they were scheduled). Background work runs at once, on the caller's thread,
// so a test sees its result posted back deterministically.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/MainQueue.hpp"

namespace tavelin::app::testing {

class ManualClock final : public MainQueue {
 public:
  double now() const { return now_.load(); }

  void post(std::function<void()> task) override { schedule(0, std::move(task)); }

  std::unique_ptr<DelayedCall> after(double seconds, std::function<void()> task) override {
    const auto key = schedule(seconds, std::move(task));
    return std::make_unique<Call>(tasks_, key);
  }

  void background(std::function<void()> work) override { work(); }

  // Moves the clock forward, running every task that falls due on the way,
  // including tasks those tasks schedule.
  void advance(double seconds) {
    const double until = now_.load() + seconds;
    for (;;) {
      auto next = tasks_->first_due(until);
      if (!next) break;
      now_ = std::max(now_.load(), next->first);
      next->second();
    }
    now_ = until;
  }

  // Runs what is due now, without moving the clock.
  void drain() { advance(0); }

  std::size_t pendingCount() const { return tasks_->size(); }

  // For tests against real event sources on other threads: waits (in real
  // time, at most `timeout`) until some task is queued.
  bool waitForTask(std::chrono::milliseconds timeout) {
    std::unique_lock guard(tasks_->lock);
    return waitForMoreThan(0, timeout, guard);
  }
  // The same, for a task beyond the `count` already queued (timers among them).
  bool waitForMoreThan(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock guard(tasks_->lock);
    return waitForMoreThan(count, timeout, guard);
  }

 private:
  bool waitForMoreThan(std::size_t count, std::chrono::milliseconds timeout, std::unique_lock<std::mutex>& guard) {
    return tasks_->queued.wait_for(guard, timeout, [&] { return tasks_->entries.size() > count; });
  }

  using Key = std::pair<double, std::uint64_t>;

  struct Tasks {
    std::optional<std::pair<double, std::function<void()>>> first_due(double until) {
      std::lock_guard guard(lock);
      if (entries.empty() || entries.begin()->first.first > until) return std::nullopt;
      auto node = entries.extract(entries.begin());
      return std::make_pair(node.key().first, std::move(node.mapped()));
    }
    void erase(const Key& key) {
      std::lock_guard guard(lock);
      entries.erase(key);
    }
    std::size_t size() const {
      std::lock_guard guard(lock);
      return entries.size();
    }
    mutable std::mutex lock;
    std::condition_variable queued;
    std::map<Key, std::function<void()>> entries;
    std::uint64_t sequence = 0;
  };

  class Call final : public DelayedCall {
   public:
    Call(std::weak_ptr<Tasks> tasks, Key key) : tasks_(std::move(tasks)), key_(key) {}
    ~Call() override { cancel(); }
    void cancel() override {
      if (auto tasks = tasks_.lock()) tasks->erase(key_);
    }

   private:
    std::weak_ptr<Tasks> tasks_;
    Key key_;
  };

  Key schedule(double seconds, std::function<void()> task) {
    std::lock_guard guard(tasks_->lock);
    const Key key{now_.load() + seconds, tasks_->sequence++};
    tasks_->entries.emplace(key, std::move(task));
    tasks_->queued.notify_all();
    return key;
  }

  std::shared_ptr<Tasks> tasks_ = std::make_shared<Tasks>();
  // Posts may come from other threads; only the test's thread moves the clock.
  std::atomic<double> now_{0};
};

}  // namespace tavelin::app::testing
