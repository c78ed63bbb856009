#pragma once

#include <QString>
#include <QWidget>

#include "runtime/Status.hpp"

namespace tavelin::app {

// The typing window's bottom row: the session's status, its message and how
// many sequences are still reachable.
class MainFooter final : public QWidget {
 public:
  explicit MainFooter(QWidget* parent = nullptr);

  void setState(Status status, const QString& message, int count);

  Status status() const { return status_; }
  const QString& message() const { return message_; }
  int count() const { return count_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Status status_ = Status::waiting;
  QString message_;
  int count_ = 0;
};

}  // namespace tavelin::app
