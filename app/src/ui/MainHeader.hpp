#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include <tavelin/config.hpp>

namespace tavelin::app {

// The typing window's top row: the brand word, what has been typed so far,
// and the layout switch.
class MainHeader final : public QWidget {
 public:
  explicit MainHeader(std::function<void(ViewType)> chooseViewType, QWidget* parent = nullptr);

  void setState(const QString& typed, ViewType viewType);

  const QString& typed() const { return typed_; }
  ViewType viewType() const { return viewType_; }

  QSize sizeHint() const override;

  // Where each layout option's button sits, in the switch's order.
  QRect optionRect(ViewType viewType) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  std::function<void(ViewType)> chooseViewType_;
  QString typed_;
  ViewType viewType_ = ViewType::Compact;
};

}  // namespace tavelin::app
