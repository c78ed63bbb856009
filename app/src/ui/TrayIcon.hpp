#pragma once

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <memory>

namespace tavelin::app {

// The application's place in the desktop's system tray: its mark and a menu
// with the typing window and quitting. Where the desktop has no tray, the
// application runs from its chord alone.
class TrayIcon final {
 public:
  // The actions stay the caller's and must outlive the icon.
  TrayIcon(QAction& open, QAction& quit);
  ~TrayIcon();

  // Shows the icon when a tray exists; false (and a log line) when not.
  bool show();

  // The mark drawn in the house colours, for the tray and the windows.
  static QIcon mark();

  QMenu& menu() { return menu_; }

 private:
  QMenu menu_;
  std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace tavelin::app
