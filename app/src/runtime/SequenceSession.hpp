#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <tavelin/config.hpp>

#include "controllers/ActionRunner.hpp"
#include "platform/MainQueue.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Published.hpp"
#include "runtime/Status.hpp"

namespace tavelin::app {

class Core;

// The state of the typing window: each keystroke goes through the resolver,
// and what the view draws is published as one value per change, so a
// keystroke costs the view one redraw. Main thread only.
class SequenceSession : public std::enable_shared_from_this<SequenceSession> {
 public:
  struct State {
    std::string typed;                    // the input line
    std::vector<KeySequence> candidates;  // the rows listed, in configuration order
    Status status = Status::waiting;      // waiting, unmatched, ran or failed
    std::optional<std::string> message;   // the sentence under the input line
    bool operator==(const State&) const = default;
  };

  // How long a miss and a failed action stay on screen.
  static constexpr double kMissSeconds = 0.6;
  static constexpr double kFailureSeconds = 4;

  // `beforeRun` is the window owner's part of a fire: it takes the window down
  // and gives the focus back before the action starts, so the action meets
  // the application it is aimed at in front.
  static std::shared_ptr<SequenceSession> make(Core& core, MainQueue& main, RunAction run,
                                               std::function<void()> beforeRun = {});

  // One keystroke, as the text it produced.
  void press(std::string_view key);
  void backspace();
  // Forgets what was typed and any message.
  void reset();

  const State& state() const { return state_.value(); }
  Published<State>& published() { return state_; }

  // The application that was in front when the window opened: focus returns
  // to it, and a fired action is aimed at it.
  const RunningApplicationRef& previousApp() const { return previousApp_; }
  void setPreviousApp(RunningApplicationRef app) { previousApp_ = std::move(app); }

  SequenceSession(Core& core, MainQueue& main, RunAction run, std::function<void()> beforeRun);

 private:
  void refresh();
  void refreshWith(std::optional<std::string> message);
  void fire(const KeySequence& sequence);
  void scheduleReset(double seconds);
  void sequencesPublished(const std::vector<KeySequence>& sequences);

  Core& core_;
  MainQueue& main_;
  RunAction run_;
  std::function<void()> beforeRun_;
  Published<State> state_;
  std::unique_ptr<DelayedCall> clearWork_;
  Subscription settingsObserver_;
  std::optional<std::vector<KeySequence>> observedSequences_;
  RunningApplicationRef previousApp_;
};

}  // namespace tavelin::app
