#pragma once

// A published value: subscribers hear the current value at once and then every
// new one. A subscription lasts as long as its token; a subscriber that names
// an owner holds it weakly and goes quiet once the owner is gone. Main thread
// only.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tavelin::app {

class Subscription {
 public:
  Subscription() = default;
  explicit Subscription(std::shared_ptr<void> slot) : slot_(std::move(slot)) {}
  void cancel() { slot_.reset(); }
  explicit operator bool() const { return slot_ != nullptr; }

 private:
  std::shared_ptr<void> slot_;
};

template <class T>
class Published {
 public:
  using Observer = std::function<void(const T&)>;

  explicit Published(T initial = T{}) : value_(std::move(initial)) {}
  Published(const Published&) = delete;
  Published& operator=(const Published&) = delete;

  const T& value() const { return value_; }

  // Publishes `next` to every live subscriber, whether or not it differs.
  void set(T next) {
    value_ = std::move(next);
    std::erase_if(slots_, [](const std::weak_ptr<Observer>& slot) { return slot.expired(); });
    // Work on copies: an observer may subscribe, drop a token or publish again
    // while we call, and a token dropped mid-round silences its observer at once.
    const auto slots = slots_;
    const T current = value_;
    for (const auto& slot : slots) {
      if (auto observer = slot.lock()) (*observer)(current);
    }
  }

  [[nodiscard]] Subscription subscribe(Observer observer) {
    auto slot = std::make_shared<Observer>(std::move(observer));
    slots_.push_back(slot);
    (*slot)(value_);
    return Subscription(std::move(slot));
  }

  template <class Owner>
  [[nodiscard]] Subscription subscribe(std::weak_ptr<Owner> owner, std::function<void(Owner&, const T&)> observer) {
    return subscribe([owner = std::move(owner), observer = std::move(observer)](const T& value) {
      if (auto locked = owner.lock()) observer(*locked, value);
    });
  }

 private:
  T value_;
  std::vector<std::weak_ptr<Observer>> slots_;
};

}  // namespace tavelin::app
