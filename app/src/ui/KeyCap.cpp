#include "ui/KeyCap.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QStringList>

namespace tavelin::app {

QStringList KeyCap::characters(const QString& keys) {
  QStringList out;
  for (const char32_t codePoint : keys.toUcs4()) out.push_back(QString::fromUcs4(&codePoint, 1));
  return out;
}

int KeyCap::cellsWidth(const QString& keys) {
  const auto count = characters(keys).size();
  return count == 0 ? 0 : static_cast<int>(count) * kCell + static_cast<int>(count - 1) * kGap;
}

int KeyCap::width(const QString& keys) { return std::max(kMinimumWidth, cellsWidth(keys)); }

void KeyCap::paint(QPainter& painter, QPoint origin, const QString& keys, const House::Surface& surface) {
  QPoint at = origin;
  bool first = true;
  for (const QString& key : characters(keys)) {
    if (first) {
      paintAmberCell(painter, at, key);
    } else {
      paintDimCell(painter, at, key, surface);
    }
    first = false;
    at.rx() += kCell + kGap;
  }
}

void KeyCap::paintAmberCell(QPainter& painter, QPoint origin, const QString& key) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath cell;
  cell.addRoundedRect(QRectF(origin, QSizeF(kCell, kCell)), 6, 6);
  painter.fillPath(cell, House::amber500());
  painter.setPen(House::onAmber());
  painter.setFont(House::mono(12, true));
  painter.drawText(QRect(origin, QSize(kCell, kCell)), Qt::AlignCenter, key);
  painter.restore();
}

void KeyCap::paintDimCell(QPainter& painter, QPoint origin, const QString& key, const House::Surface& surface) {
  painter.save();
  painter.setPen(surface.dim);
  painter.setFont(House::mono(12));
  painter.drawText(QRect(origin, QSize(kCell, kCell)), Qt::AlignCenter, key);
  painter.restore();
}

}  // namespace tavelin::app
