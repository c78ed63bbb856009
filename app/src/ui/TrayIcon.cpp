#include "ui/TrayIcon.hpp"

#include <QCursor>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "runtime/Log.hpp"
#include "ui/House.hpp"

namespace tavelin::app {

TrayIcon::TrayIcon(QAction& open, QAction& quit) {
  menu_.addAction(&open);
  menu_.addSeparator();
  menu_.addAction(&quit);
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::show() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    Log::info("No system tray on this desktop; Tavelin runs from its chord alone.");
    return false;
  }
  icon_ = std::make_unique<QSystemTrayIcon>(mark());
  icon_->setToolTip(QStringLiteral("Tavelin"));
  icon_->setContextMenu(&menu_);
  // A plain click opens the menu too, as a menu bar item would.
  QObject::connect(icon_.get(), &QSystemTrayIcon::activated, &menu_, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger) menu_.popup(QCursor::pos());
  });
  icon_->show();
  return true;
}

QIcon TrayIcon::mark() {
  QIcon icon;
  for (const int size : {16, 22, 32, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath square;
    const double inset = size / 16.0;
    square.addRoundedRect(QRectF(inset, inset, size - 2 * inset, size - 2 * inset), size / 4.5, size / 4.5);
    painter.fillPath(square, House::amber500());
    painter.setPen(House::onAmber());
    painter.setFont(House::mono(static_cast<int>(size * 0.62), true));
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("t"));
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace tavelin::app
