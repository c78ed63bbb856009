#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include <tavelin/config.hpp>

#include "platform/linux/qt/QtKeyMonitors.hpp"
#include "platform/linux/qt/XcbKeyTranslator.hpp"
#include "ui/QtEventLoop.hpp"
#include "x11/XvfbSession.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;

// A window with a focused child that records the presses that reach it and
// passes them on to the window, as an ordinary widget ignores keys it has no
// use for.
struct Recorder final : QWidget {
  explicit Recorder(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }
  void keyPressEvent(QKeyEvent* event) override {
    seen.push_back(event->nativeScanCode());
    event->ignore();
  }
  std::vector<quint32> seen;
};

class KeyMonitorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 100);
    window.show();
    recorder->setFocus();
    ASSERT_TRUE(testing::processEventsUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
  }

  // Delivered as the platform delivers a press: to the window first.
  void press(quint32 keycode, quint32 state = 0, int key = Qt::Key_A, const QString& text = QStringLiteral("a")) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, keycode, 0, state, text);
    QCoreApplication::sendEvent(window.windowHandle(), &event);
  }

  // Each press comes out as its keycode alone, so tests can tell them apart.
  QtKeyMonitors monitors{[](const QKeyEvent& e) -> std::optional<KeyEvent> {
    if (e.nativeScanCode() == 0) return std::nullopt;
    return KeyEvent{e.nativeScanCode(), 0, "", ""};
  }};
  QWidget window;
  Recorder* recorder = new Recorder(&window);
};

TEST_F(KeyMonitorsTest, AConsumedPressGoesNoFurtherAndOthersPassOnceEach) {
  std::vector<std::uint32_t> offered;
  auto token = monitors.addLocalKeyDownMonitor([&](const KeyEvent& e) {
    offered.push_back(e.keyCode);
    return e.keyCode == 40;
  });
  press(40);
  press(41);
  // The press that passed reached the widget, and travelled on up to the
  // window without being offered to the monitor a second time.
  EXPECT_THAT(offered, ElementsAre(40u, 41u));
  EXPECT_THAT(recorder->seen, ElementsAre(41u));

  // A press that did not come from the keyboard means nothing here.
  press(0);
  EXPECT_THAT(offered, ElementsAre(40u, 41u));
  EXPECT_THAT(recorder->seen, ElementsAre(41u, 0u));

  token.reset();
  press(40);
  EXPECT_EQ(offered.size(), 2u) << "a dropped token ends its monitor";
  EXPECT_THAT(recorder->seen, ElementsAre(41u, 0u, 40u));
}

TEST_F(KeyMonitorsTest, TheNewestMonitorHearsFirstAndMayDropItsOwnToken) {
  std::vector<std::string> heard;
  auto older = monitors.addLocalKeyDownMonitor([&](const KeyEvent&) {
    heard.push_back("older");
    return false;
  });
  std::unique_ptr<KeyMonitorToken> newer;
  newer = monitors.addLocalKeyDownMonitor([&](const KeyEvent& e) {
    heard.push_back("newer");
    // As a key that closes the window does; what the handler captured must
    // still be there after.
    newer.reset();
    heard.push_back(e.keyCode == 40 ? "still here" : "?");
    return true;
  });
  press(40);
  EXPECT_THAT(heard, ElementsAre("newer", "still here"));
  press(40);
  EXPECT_THAT(heard, ElementsAre("newer", "still here", "older"));
}

// Presses as the X server reports them (keycode and state on a real keymap)
// come out in the configuration's numbering.
TEST(KeyTranslation, XPressesReadAsTheConfigurationsKeysAndModifiers) {
  testing::XvfbSession x({.windowManager = false});
  ASSERT_TRUE(x.ok()) << x.reason();
  xcb_connection_t* connection = xcb_connect(x.display().c_str(), nullptr);
  ASSERT_EQ(xcb_connection_has_error(connection), 0);
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
  auto keycodeOf = [&](xcb_keysym_t keysym) -> quint32 {
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    const quint32 first = codes ? codes[0] : 0;
    std::free(codes);
    return first;
  };

  XcbKeyTranslator translator(connection);
  QtKeyMonitors monitors([&](const QKeyEvent& e) { return translator.translate(e); });
  std::vector<KeyEvent> offered;
  auto token = monitors.addLocalKeyDownMonitor([&](const KeyEvent& e) {
    offered.push_back(e);
    return true;
  });
  QWidget window;
  window.show();
  ASSERT_TRUE(testing::processEventsUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));

  constexpr quint32 shift = XCB_MOD_MASK_SHIFT, control = XCB_MOD_MASK_CONTROL, alt = XCB_MOD_MASK_1,
                    super = XCB_MOD_MASK_4, lock = XCB_MOD_MASK_LOCK;
  struct Case {
    xcb_keysym_t keysym;
    quint32 state;
    KeyEvent expected;
  };
  const Case cases[] = {
      {XK_a, 0, {0, 0, "a", "a"}},
      {XK_a, shift, {0, shift_key, "A", "a"}},
      {XK_a, lock, {0, alpha_lock, "A", "a"}},
      {XK_1, shift, {18, shift_key, "!", "1"}},
      {XK_space, alt, {49, option_key, " ", " "}},
      {XK_q, super, {12, cmd_key, "q", "q"}},
      {XK_comma, super, {43, cmd_key, ",", ","}},
      {XK_w, control, {13, control_key, "\x17", "w"}},
      {XK_Escape, 0, {53, 0, "\x1b", "\x1b"}},
      {XK_BackSpace, 0, {51, 0, "\x7f", "\x7f"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.charactersIgnoringModifiers);
    const quint32 keycode = keycodeOf(c.keysym);
    ASSERT_NE(keycode, 0u);
    offered.clear();
    // Qt's own reading of the key is beside the point: only the native
    // keycode and state decide.
    QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, keycode, c.keysym, c.state, QString());
    QCoreApplication::sendEvent(window.windowHandle(), &event);
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], c.expected);
  }

  token.reset();
  xcb_key_symbols_free(symbols);
  xcb_disconnect(connection);
}

}  // namespace
}  // namespace tavelin::app
