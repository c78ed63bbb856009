#pragma once

#include <QPoint>
#include <QString>

#include "ui/House.hpp"

class QPainter;

namespace tavelin::app {

// The which-key look: the next key to press as an amber cell, the keys after
// it as dim cells, 3 apart.
struct KeyCap {
  static constexpr int kCell = 19;
  static constexpr int kGap = 3;
  static constexpr int kMinimumWidth = 41;  // so short key lists line up

  // The width the cells take, before the minimum.
  static int cellsWidth(const QString& keys);
  static int width(const QString& keys);

  // Draws `keys` with the cells' top-left corner at `origin`.
  static void paint(QPainter& painter, QPoint origin, const QString& keys, const House::Surface& surface);
  // One key on amber; the header draws what has been typed this way.
  static void paintAmberCell(QPainter& painter, QPoint origin, const QString& key);
  static void paintDimCell(QPainter& painter, QPoint origin, const QString& key, const House::Surface& surface);

  // The characters of `keys` one by one (code points, not UTF-16 units).
  static QStringList characters(const QString& keys);
};

}  // namespace tavelin::app
