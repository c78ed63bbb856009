#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

namespace tavelin::app {

// One running copy per user. The first copy listens on a local socket; a copy
// started while it runs asks it to reopen (show its settings) and leaves.
class SingleInstance final : public QObject {
 public:
  enum class Role {
    primary,    // the name is ours: carry on starting up
    secondary,  // another copy runs and took the request: leave
    alone,      // neither: no socket could be had; run without the guard
  };

  // `socketPath` is the full path of the socket; see defaultSocketPath.
  explicit SingleInstance(QString socketPath);
  ~SingleInstance() override;

  // The user's runtime folder (private to the user), falling back to Qt's
  // per-user runtime location when XDG_RUNTIME_DIR is unset.
  static QString defaultSocketPath();

  // Asks a running copy to reopen, or claims the name. Blocks for at most a
  // few seconds while a copy answers.
  Role claim();

  // Stops listening and removes the socket, so the next copy starts afresh.
  void release() { server_.close(); }

  // Runs on the main thread for each reopen request from another copy.
  void onReopen(std::function<void()> handler) { onReopen_ = std::move(handler); }

  static constexpr const char* kReopenRequest = "reopen\n";
  static constexpr const char* kReopenAnswer = "ok\n";

 private:
  bool askRunningCopy();
  void acceptConnections();

  QString path_;
  QLocalServer server_;
  std::function<void()> onReopen_;
};

}  // namespace tavelin::app
