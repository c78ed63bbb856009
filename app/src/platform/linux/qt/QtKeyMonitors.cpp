#include "platform/linux/qt/QtKeyMonitors.hpp"

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>

namespace tavelin::app {
namespace {

// Holding the handler is what keeps the monitor alive.
class Token final : public KeyMonitorToken {
 public:
  explicit Token(std::shared_ptr<KeyMonitors::Handler> handler) : handler_(std::move(handler)) {}

 private:
  std::shared_ptr<KeyMonitors::Handler> handler_;
};

}  // namespace

QtKeyMonitors::QtKeyMonitors(Translate translate) : translate_(std::move(translate)) {
  QCoreApplication::instance()->installEventFilter(this);
}

QtKeyMonitors::~QtKeyMonitors() {
  if (auto* application = QCoreApplication::instance()) application->removeEventFilter(this);
}

std::unique_ptr<KeyMonitorToken> QtKeyMonitors::addLocalKeyDownMonitor(Handler handler) {
  auto slot = std::make_shared<Handler>(std::move(handler));
  std::erase_if(handlers_, [](const std::weak_ptr<Handler>& h) { return h.expired(); });
  handlers_.push_back(slot);
  return std::make_unique<Token>(std::move(slot));
}

bool QtKeyMonitors::eventFilter(QObject* watched, QEvent* event) {
  // A key press reaches the application filter once for its window and again
  // for each widget it is handed down to; the window's delivery comes first
  // and is the one a monitor answers, so each press is offered once.
  if (event->type() != QEvent::KeyPress || !watched->isWindowType()) return false;
  if (handlers_.empty()) return false;
  const auto translated = translate_ ? translate_(*static_cast<QKeyEvent*>(event)) : std::nullopt;
  return translated && offer(*translated);
}

bool QtKeyMonitors::offer(const KeyEvent& event) {
  std::erase_if(handlers_, [](const std::weak_ptr<Handler>& h) { return h.expired(); });
  // A copy, since a handler may add a monitor while it runs; each handler is
  // locked for the length of its own call, so one that drops its token runs
  // to its end, and one whose token went in the meantime is skipped.
  const auto handlers = handlers_;
  for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
    if (auto handler = it->lock(); handler && (*handler)(event)) return true;
  }
  return false;
}

}  // namespace tavelin::app
