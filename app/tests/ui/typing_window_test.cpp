#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

#include "controllers/MainWindowController.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/RecordedRuns.hpp"
#include "fakes/TempCore.hpp"
#include "platform/linux/qt/QtKeyMonitors.hpp"
#include "platform/linux/qt/QtTypingWindow.hpp"
#include "platform/linux/qt/QtTypingWindowFactory.hpp"
#include "ui/QtEventLoop.hpp"

namespace tavelin::app {
namespace {

using testing::processEventsUntil;

TEST(QtTypingWindow, AFramelessToolWindowAboveTheOthersCentredAtItsSize) {
  int resigned = 0;
  QtTypingWindow window(new QWidget, {500, 300}, TypingWindowStyle{}, {.didResignKey = [&](const TypingWindow&) { ++resigned; }, .chooseViewType = {}});
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "Tavelin");
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::Tool));
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));

  window.setContentSize({640.4, 360.6});
  window.center();
  EXPECT_EQ(window.size(), QSize(640, 361));
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(window.geometry().center(), area.center());

  window.makeKeyAndOrderFront();
  EXPECT_TRUE(window.isVisible());
  ASSERT_TRUE(processEventsUntil([&] { return window.isActiveWindow(); }));

  // Another window taking the keys is reported, once.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(processEventsUntil([&] { return other.isActiveWindow(); }));
  EXPECT_EQ(resigned, 1);

  // Hidden by its controller, it reports nothing more.
  window.orderOut();
  other.close();
  processEventsUntil([] { return false; }, std::chrono::milliseconds(50));
  EXPECT_EQ(resigned, 1);
  EXPECT_FALSE(window.isVisible());
}

// The controller, the Qt window and the key monitors together: the chord
// brings the window up with the keys, Escape takes it down again, and a
// window closed from outside takes the controller's key monitor with it.
class TypingWindowControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    controller->build();
    ASSERT_NE(qtWindow(), nullptr);
  }

  QtTypingWindow* qtWindow() const {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* typing = dynamic_cast<QtTypingWindow*>(w)) return typing;
    }
    return nullptr;
  }
  bool press(std::uint32_t keyCode) {
    QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, keyCode, 0, 0, QString());
    QCoreApplication::sendEvent(qtWindow()->windowHandle(), &event);
    return event.isAccepted() && pressed;
  }

  testing::TempCore temp;
  Core& core = *temp.core;
  testing::FakeDesktop desktop;
  testing::RecordedRuns ran;
  bool pressed = false;
  // Key code 53 is Escape whatever the keyboard; the native codes are
  // handed over as they are.
  QtKeyMonitors keyMonitors{[this](const QKeyEvent& e) -> std::optional<KeyEvent> {
    pressed = true;
    return KeyEvent{e.nativeScanCode(), 0, "", ""};
  }};
  QtTypingWindowFactory windows{core};
  std::shared_ptr<MainWindowController> controller =
      MainWindowController::make({core, desktop, temp.clock, keyMonitors, windows, ran.runner(), {}});
};

TEST_F(TypingWindowControllerTest, TheChordShowsTheWindowWithTheKeysAndEscapeHidesIt) {
  EXPECT_FALSE(qtWindow()->isVisible());
  controller->toggle();
  EXPECT_TRUE(qtWindow()->isVisible());
  ASSERT_TRUE(processEventsUntil([&] { return qtWindow()->isActiveWindow(); }));
  EXPECT_TRUE(controller->isMonitoringKeys());

  press(kKeyCodeEscape);
  EXPECT_FALSE(qtWindow()->isVisible());
  EXPECT_FALSE(controller->isMonitoringKeys());
}

TEST_F(TypingWindowControllerTest, AWindowClosedFromOutsideIsTakenDownByItsController) {
  controller->toggle();
  ASSERT_TRUE(processEventsUntil([&] { return qtWindow()->isActiveWindow(); }));
  qtWindow()->close();
  EXPECT_FALSE(qtWindow()->isVisible());
  EXPECT_FALSE(controller->isMonitoringKeys());
  // And it comes back on the next chord.
  controller->toggle();
  EXPECT_TRUE(qtWindow()->isVisible());
  controller->toggle();
}

}  // namespace
}  // namespace tavelin::app
