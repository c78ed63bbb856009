#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/KeyMonitors.hpp"

class QKeyEvent;

namespace tavelin::app {

// Local key-down monitors as one application-wide event filter: every key
// press on its way to one of our windows is turned into a KeyEvent and offered
// to the monitors, newest first; one that answers "consumed" swallows it.
// Main thread only.
class QtKeyMonitors final : public QObject, public KeyMonitors {
 public:
  // The press in the configuration's numbering; none for a press that has no
  // meaning there (it then goes on untouched).
  using Translate = std::function<std::optional<KeyEvent>(const QKeyEvent&)>;

  // Installs the filter on the running application.
  explicit QtKeyMonitors(Translate translate);
  ~QtKeyMonitors() override;

  [[nodiscard]] std::unique_ptr<KeyMonitorToken> addLocalKeyDownMonitor(Handler handler) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool offer(const KeyEvent& event);

  Translate translate_;
  std::vector<std::weak_ptr<Handler>> handlers_;
};

}  // namespace tavelin::app
