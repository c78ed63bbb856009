#include "platform/linux/qt/XcbEventFeed.hpp"

#include <QCoreApplication>

namespace tavelin::app {

XcbEventFeed::XcbEventFeed() { QCoreApplication::instance()->installNativeEventFilter(this); }

XcbEventFeed::~XcbEventFeed() {
  if (auto* application = QCoreApplication::instance()) application->removeNativeEventFilter(this);
}

void XcbEventFeed::add(Handler handler) { handlers_.push_back(std::move(handler)); }

bool XcbEventFeed::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || message == nullptr) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  // Every service sees every event, even one an earlier service claimed:
  // each keeps its own picture of the server (times, keymaps, windows).
  bool claimed = false;
  for (const Handler& handler : handlers_) claimed = handler(event) || claimed;
  return claimed;
}

}  // namespace tavelin::app
