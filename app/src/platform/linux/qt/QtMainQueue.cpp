#include "platform/linux/qt/QtMainQueue.hpp"

#include <QMetaObject>
#include <QThreadPool>
#include <QTimer>
#include <chrono>
#include <cmath>

namespace tavelin::app {
namespace {

class QtDelayedCall final : public DelayedCall {
 public:
  QtDelayedCall(double seconds, std::function<void()> task) : timer_(std::make_unique<QTimer>()) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    // Connected with the timer as context, so the connection dies with it.
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [task = std::move(task)]() mutable {
      // The task may drop this call (a reset that cancels its own pending
      // reset does), which deletes the timer and this lambda: run it from our
      // own stack.
      std::function<void()> run = std::move(task);
      run();
    });
    timer_->start(std::chrono::milliseconds(toMilliseconds(seconds)));
  }

  void cancel() override {
    if (timer_) timer_->stop();
  }

 private:
  static long long toMilliseconds(double seconds) {
    if (!(seconds > 0)) return 0;  // also NaN
    const double ms = std::ceil(seconds * 1000);
    return ms > 2e9 ? 2'000'000'000LL : static_cast<long long>(ms);
  }

  std::unique_ptr<QTimer> timer_;
};

}  // namespace

QtMainQueue::QtMainQueue() : context_(std::make_unique<QObject>()) {}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::post(std::function<void()> task) {
  QMetaObject::invokeMethod(context_.get(), std::move(task), Qt::QueuedConnection);
}

std::unique_ptr<DelayedCall> QtMainQueue::after(double seconds, std::function<void()> task) {
  return std::make_unique<QtDelayedCall>(seconds, std::move(task));
}

void QtMainQueue::background(std::function<void()> work) { QThreadPool::globalInstance()->start(std::move(work)); }

}  // namespace tavelin::app
