#pragma once

#include <QList>

#include "platform/TypingWindow.hpp"

class QAction;

namespace tavelin::app {

class Core;

// Makes the Qt typing window with the main view as its content.
class QtTypingWindowFactory final : public TypingWindowFactory {
 public:
  // The view reads the settings and the resolver of `core`, which outlives
  // every window made. `applicationActions` (quitting, say) keep their
  // shortcuts while a typing window has the keys; they outlive the windows.
  explicit QtTypingWindowFactory(Core& core, QList<QAction*> applicationActions = {})
      : core_(core), applicationActions_(std::move(applicationActions)) {}

  std::unique_ptr<TypingWindow> build(WindowSize contentSize, const TypingWindowStyle& style,
                                      std::shared_ptr<SequenceSession> session, TypingWindowEvents events) override;

 private:
  Core& core_;
  QList<QAction*> applicationActions_;
};

}  // namespace tavelin::app
