#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace tavelin::app {

// SIGTERM and SIGINT end the application the way its Quit item does, so the
// shut-down steps run and the log is complete. The handler only writes a
// byte to a pipe; the event loop reads it and quits on the main thread.
class TerminationSignals final : public QObject {
 public:
  // One per process; `quit` runs on the main thread for each signal.
  explicit TerminationSignals(std::function<void()> quit);
  ~TerminationSignals() override;

  // False when the pipe or the handlers could not be set up.
  bool installed() const { return notifier_ != nullptr; }

 private:
  std::function<void()> quit_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tavelin::app
