#include "runtime/SequenceSession.hpp"

#include <utility>
#include <variant>

#include "runtime/Core.hpp"
#include "runtime/Log.hpp"

namespace tavelin::app {
namespace {

template <class... Cases>
struct Overloaded : Cases... {
  using Cases::operator()...;
};

}  // namespace

SequenceSession::SequenceSession(Core& core, MainQueue& main, RunAction run, std::function<void()> beforeRun)
    : core_(core), main_(main), run_(std::move(run)), beforeRun_(std::move(beforeRun)) {}

std::shared_ptr<SequenceSession> SequenceSession::make(Core& core, MainQueue& main, RunAction run,
                                                       std::function<void()> beforeRun) {
  auto session = std::make_shared<SequenceSession>(core, main, std::move(run), std::move(beforeRun));
  // The current settings arrive at once, so the session starts from the
  // resolver's list.
  session->settingsObserver_ = core.published().subscribe<SequenceSession>(
      session, [](SequenceSession& self, const Settings& settings) { self.sequencesPublished(settings.sequences); });
  return session;
}

void SequenceSession::sequencesPublished(const std::vector<KeySequence>& sequences) {
  // Other changes (a layout, a window size) leave the list and what is on
  // screen alone.
  if (observedSequences_ == sequences) return;
  observedSequences_ = sequences;
  refresh();
}

void SequenceSession::refresh() { refreshWith(state().message); }

void SequenceSession::refreshWith(std::optional<std::string> message) {
  Resolver& resolver = core_.resolver();
  state_.set({resolver.typed(), resolver.candidates(), Status::waiting, std::move(message)});
}

void SequenceSession::reset() {
  clearWork_.reset();
  core_.resolver().reset();
  refreshWith(std::nullopt);
}

void SequenceSession::backspace() {
  clearWork_.reset();
  core_.resolver().backspace();
  refreshWith(std::nullopt);
}

void SequenceSession::press(std::string_view key) {
  Resolution resolution = core_.resolver().press(key);
  // A key the resolver ignores changes nothing: a miss on screen still clears
  // itself on time.
  if (std::holds_alternative<Resolution::Ignored>(resolution.value)) return;
  clearWork_.reset();
  std::visit(Overloaded{
                 [](const Resolution::Ignored&) {},
                 [&](const Resolution::Pending&) { refreshWith(std::nullopt); },
                 [&](const Resolution::Fire& hit) {
                   State next = state();
                   next.typed.clear();
                   next.status = Status::ran;
                   next.message.reset();
                   state_.set(std::move(next));
                   fire(hit.sequence);
                 },
                 [&](Resolution::NoMatch& miss) {
                   // The resolver keeps the text, so the next key extends it.
                   std::string message = "Nothing is bound to " + miss.typed + ".";
                   Log::info("unmatched " + miss.typed);
                   state_.set({std::move(miss.typed), {}, Status::unmatched, std::move(message)});
                   scheduleReset(kMissSeconds);
                 },
             },
             resolution.value);
}

void SequenceSession::fire(const KeySequence& sequence) {
  Log::info("fire " + sequence.keys + " · " + sequence.description);
  RunningApplicationRef target = previousApp_;
  if (beforeRun_) beforeRun_();
  if (!run_) return;
  std::weak_ptr<SequenceSession> weak = weak_from_this();
  run_(sequence.action, std::move(target), [weak](std::optional<ActionRunner::Failure> failure) {
    auto self = weak.lock();
    if (!self || !failure) return;
    State next = self->state();
    next.status = failure->status;
    next.message = std::move(failure->message);
    self->state_.set(std::move(next));
    self->scheduleReset(kFailureSeconds);
  });
}

void SequenceSession::scheduleReset(double seconds) {
  clearWork_.reset();
  std::weak_ptr<SequenceSession> weak = weak_from_this();
  clearWork_ = main_.after(seconds, [weak] {
    if (auto self = weak.lock()) self->reset();
  });
}

}  // namespace tavelin::app
