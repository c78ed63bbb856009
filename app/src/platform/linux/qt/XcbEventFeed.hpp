#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <functional>
#include <vector>

namespace tavelin::app {

// Hands every event of Qt's X connection, on the main thread, to each of the
// desktop services reading that connection, before Qt handles it. An event a
// service claims (a press of one of our global chords) goes no further; Qt
// sees all others.
class XcbEventFeed final : public QAbstractNativeEventFilter {
 public:
  // True when the event was the service's alone.
  using Handler = std::function<bool(const xcb_generic_event_t*)>;

  // Installs the filter on the running application.
  XcbEventFeed();
  ~XcbEventFeed() override;
  XcbEventFeed(const XcbEventFeed&) = delete;
  XcbEventFeed& operator=(const XcbEventFeed&) = delete;

  void add(Handler handler);

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  std::vector<Handler> handlers_;
};

}  // namespace tavelin::app
