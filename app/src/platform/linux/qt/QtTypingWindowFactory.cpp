#include "platform/linux/qt/QtTypingWindowFactory.hpp"

#include "platform/linux/qt/QtTypingWindow.hpp"
#include "ui/MainView.hpp"

namespace tavelin::app {

std::unique_ptr<TypingWindow> QtTypingWindowFactory::build(WindowSize contentSize, const TypingWindowStyle& style,
                                                           std::shared_ptr<SequenceSession> session,
                                                           TypingWindowEvents events) {
  auto* view = new MainView(std::move(session), core_, events.chooseViewType);
  auto window = std::make_unique<QtTypingWindow>(view, contentSize, style, std::move(events));
  window->addActions(applicationActions_);
  return window;
}

}  // namespace tavelin::app
