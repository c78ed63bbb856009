#include "ui/House.hpp"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QStringList>

namespace tavelin::app {
namespace {

constexpr const char* kFamily = "JetBrains Mono";

bool houseFamilyAvailable() {
  static const bool available = [] {
    House::registerFonts();
    return QFontDatabase::families().contains(QString::fromLatin1(kFamily));
  }();
  return available;
}

QColor rgb(unsigned value) {
  return QColor(static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>(value & 0xFF));
}

}  // namespace

bool House::registerFonts() {
  static const bool registered = [] {
    bool all = true;
    for (const char* face : {"Regular", "Bold", "Italic", "BoldItalic"}) {
      const QString file = QStringLiteral(":/fonts/JetBrainsMono-%1.ttf").arg(QLatin1String(face));
      all = QFontDatabase::addApplicationFont(file) >= 0 && all;
    }
    return all;
  }();
  return registered;
}

QFont House::mono(int pixelSize, bool bold) {
  QFont font = houseFamilyAvailable() ? QFont(QString::fromLatin1(kFamily))
                                      : QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(pixelSize);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  return font;
}

QFont House::system(int pixelSize, QFont::Weight weight) {
  QFont font = QApplication::font();
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  return font;
}

House::Surface House::surface(bool dark) {
  if (dark) {
    return {rgb(0x17130F), rgb(0x1B1712), rgb(0x211C16), rgb(0x241E18),
            rgb(0x3A322A), rgb(0xF4EFE8), rgb(0x9A8F82), rgb(0xFFB224)};
  }
  return {rgb(0xF7F4EF), rgb(0xFFFDFA), rgb(0xF7F3EC), rgb(0xF0EBE2),
          rgb(0xE0D8CB), rgb(0x17130F), rgb(0x6B6055), rgb(0x8F5806)};
}

House::Surface House::surface(const QPalette& palette) {
  return surface(palette.color(QPalette::Window).lightness() < 128);
}

QColor House::statusColor(Status status, const Surface& surface) {
  switch (status) {
    case Status::waiting:
    case Status::off: return surface.dim;
    case Status::unmatched: return rgb(0xFF8A3D);
    case Status::ran:
    case Status::granted: return rgb(0x48C78E);
    case Status::failed:
    case Status::blocked: return rgb(0xF2555A);
  }
  return surface.dim;
}

}  // namespace tavelin::app
