#pragma once

#include <QColor>
#include <QFont>

#include "runtime/Status.hpp"

class QPalette;

namespace tavelin::app {

// The house style: warm near-black and paper-white surfaces, one amber
// accent, and JetBrains Mono for whatever is typed, shown as a key or reported
// as a status. Sizes are in device-independent pixels, which stand for the
// design's points.
struct House {
  // The surfaces and inks that follow the appearance.
  struct Surface {
    QColor canvas, card, hover, raised, line, text, dim, amberText;
  };

  // Registers the embedded faces with the application once; true when all
  // four were. Views fall back to the system's fixed-pitch font without them.
  static bool registerFonts();

  // The house face at `pixelSize`, bold or regular, never scaled with the
  // desktop's text size.
  static QFont mono(int pixelSize, bool bold = false);
  // The desktop's own font at `pixelSize`.
  static QFont system(int pixelSize, QFont::Weight weight = QFont::Normal);

  static Surface surface(bool dark);
  // Dark when the palette in force has a dark window colour, so views follow
  // whatever appearance the application set.
  static Surface surface(const QPalette& palette);

  static QColor amber300() { return QColor(0xFF, 0xC6, 0x5C); }
  static QColor amber500() { return QColor(0xFF, 0xB2, 0x24); }
  static QColor amber600() { return QColor(0xE8, 0x9A, 0x12); }
  static QColor onAmber() { return QColor(0x17, 0x13, 0x0F); }

  static QColor statusColor(Status status, const Surface& surface);
};

}  // namespace tavelin::app
