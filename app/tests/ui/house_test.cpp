#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QPalette>
#include <QWidget>

#include "ui/Appearance.hpp"
#include "ui/House.hpp"
#include "ui/QtEventLoop.hpp"

namespace tavelin::app {
namespace {

TEST(House, TheEmbeddedFacesAreRegisteredAndChosenByWeight) {
  EXPECT_TRUE(House::registerFonts());
  const QFontInfo regular(House::mono(12));
  const QFontInfo bold(House::mono(12, true));
  EXPECT_EQ(regular.family(), "JetBrains Mono");
  EXPECT_EQ(bold.family(), "JetBrains Mono");
  EXPECT_LT(regular.weight(), QFont::DemiBold);
  EXPECT_GE(bold.weight(), QFont::Bold);
  EXPECT_EQ(House::mono(11).pixelSize(), 11);
}

TEST(Appearance, DarkAndLightInstallTheHousePaletteAndSystemGivesThePlatformsBack) {
  const QColor platformWindow = QApplication::palette().color(QPalette::Window);
  QWidget widget;
  widget.show();
  struct Case {
    Appearance appearance;
    QColor canvas;
    bool dark;
  };
  const Case cases[] = {
      {Appearance::Dark, QColor(0x17, 0x13, 0x0F), true},
      {Appearance::Light, QColor(0xF7, 0xF4, 0xEF), false},
      {Appearance::Dark, QColor(0x17, 0x13, 0x0F), true},
      {Appearance::System, platformWindow, platformWindow.lightness() < 128},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.appearance));
    setAppearance(c.appearance);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), c.canvas);
    // Widgets follow on the loop's next turn, and the house surfaces with them.
    EXPECT_TRUE(testing::processEventsUntil([&] { return widget.palette().color(QPalette::Window) == c.canvas; }));
    EXPECT_EQ(House::surface(widget.palette()).text, House::surface(c.dark).text);
  }
}

}  // namespace
}  // namespace tavelin::app
