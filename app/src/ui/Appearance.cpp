#include "ui/Appearance.hpp"

#include <QApplication>

#include "ui/House.hpp"

namespace tavelin::app {

QPalette housePalette(bool dark) {
  const House::Surface s = House::surface(dark);
  QPalette palette;
  palette.setColor(QPalette::Window, s.canvas);
  palette.setColor(QPalette::WindowText, s.text);
  palette.setColor(QPalette::Base, s.card);
  palette.setColor(QPalette::AlternateBase, s.hover);
  palette.setColor(QPalette::Text, s.text);
  palette.setColor(QPalette::PlaceholderText, s.dim);
  palette.setColor(QPalette::Button, s.raised);
  palette.setColor(QPalette::ButtonText, s.text);
  palette.setColor(QPalette::BrightText, s.amberText);
  palette.setColor(QPalette::Light, s.raised);
  palette.setColor(QPalette::Midlight, s.hover);
  palette.setColor(QPalette::Mid, s.line);
  palette.setColor(QPalette::Dark, s.line);
  palette.setColor(QPalette::Shadow, s.line);
  palette.setColor(QPalette::Highlight, House::amber500());
  palette.setColor(QPalette::HighlightedText, House::onAmber());
  palette.setColor(QPalette::Link, s.amberText);
  palette.setColor(QPalette::LinkVisited, s.amberText);
  palette.setColor(QPalette::ToolTipBase, s.raised);
  palette.setColor(QPalette::ToolTipText, s.text);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, s.dim);
  }
  return palette;
}

void setAppearance(Appearance appearance) {
  switch (appearance) {
    case Appearance::Dark: QApplication::setPalette(housePalette(true)); return;
    case Appearance::Light: QApplication::setPalette(housePalette(false)); return;
    case Appearance::System:
      // A palette with no role of its own resolves entirely against the
      // platform's.
      QApplication::setPalette(QPalette());
      return;
  }
}

}  // namespace tavelin::app
