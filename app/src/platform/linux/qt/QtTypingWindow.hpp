#pragma once

#include <QWidget>
#include <memory>

#include "platform/TypingWindow.hpp"

namespace tavelin::app {

// The typing window on Qt: a frameless tool window above the others, with
// the view as its only content. It carries out what the controller asks and
// reports losing the keyboard; it decides nothing itself. Main thread only.
class QtTypingWindow final : public QWidget, public TypingWindow {
 public:
  // `view` becomes the window's content.
  QtTypingWindow(QWidget* view, WindowSize contentSize, const TypingWindowStyle& style, TypingWindowEvents events);
  ~QtTypingWindow() override;

  bool isVisible() const override;
  void setContentSize(WindowSize size) override;
  void center() override;
  void makeKeyAndOrderFront() override;
  void orderOut() override;

  static constexpr const char* kTitle = "Tavelin";

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void requestActivation();

  TypingWindowStyle style_;
  TypingWindowEvents events_;
  bool wasActive_ = false;         // had the keys since it was last shown
  bool activationPending_ = false;  // shown, waiting to be mapped to ask for the keys
};

}  // namespace tavelin::app
