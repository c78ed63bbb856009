#include "platform/linux/qt/QtTypingWindow.hpp"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <cmath>

#include "platform/linux/qt/XcbWindowRequests.hpp"

namespace tavelin::app {
namespace {

Qt::WindowFlags flagsFor(const TypingWindowStyle& style) {
  Qt::WindowFlags flags = Qt::Tool;
  if (style.borderless) flags |= Qt::FramelessWindowHint;
  if (style.floating) flags |= Qt::WindowStaysOnTopHint;
  return flags;
}

int pixels(double points) { return std::max(1, static_cast<int>(std::lround(points))); }

}  // namespace

QtTypingWindow::QtTypingWindow(QWidget* view, WindowSize contentSize, const TypingWindowStyle& style,
                               TypingWindowEvents events)
    : QWidget(nullptr, flagsFor(style)), style_(style), events_(std::move(events)) {
  setWindowTitle(QString::fromLatin1(kTitle));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(view);
  setContentSize(contentSize);
  // Each showing maps the window afresh, and the window manager puts a newly
  // mapped window on the workspace in view: the window follows the user to
  // every workspace without asking for all of them (which window managers
  // refuse a transient tool window anyway).

  // Qt activates a window once it is mapped; on X11 we also ask the window
  // manager ourselves then, since this window is always brought up by the
  // user (a chord, a menu) and a focus-stealing rule must not keep the keys
  // in the window behind.
  create();
  windowHandle()->installEventFilter(this);
}

QtTypingWindow::~QtTypingWindow() = default;

bool QtTypingWindow::isVisible() const { return QWidget::isVisible(); }

void QtTypingWindow::setContentSize(WindowSize size) { setFixedSize(pixels(size.width), pixels(size.height)); }

void QtTypingWindow::center() {
  QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!on) return;
  const QRect area = on->availableGeometry();
  move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void QtTypingWindow::makeKeyAndOrderFront() {
  activationPending_ = true;
  show();
  raise();
  activateWindow();
  // Already mapped (shown again while up): no expose will come to wait for.
  if (windowHandle() && windowHandle()->isExposed()) requestActivation();
}

void QtTypingWindow::orderOut() {
  activationPending_ = false;
  wasActive_ = false;
  hide();
}

void QtTypingWindow::requestActivation() {
  activationPending_ = false;
  if (!isActiveWindow()) XcbWindowRequests::activate(static_cast<std::uint32_t>(winId()));
}

bool QtTypingWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::Expose && activationPending_ && windowHandle()->isExposed()) {
    requestActivation();
  }
  return QWidget::eventFilter(watched, event);
}

void QtTypingWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (isActiveWindow()) {
    wasActive_ = true;
    activationPending_ = false;
    return;
  }
  // Only a window that had the keys can lose them.
  if (!wasActive_) return;
  wasActive_ = false;
  if (events_.didResignKey) events_.didResignKey(*this);
}

void QtTypingWindow::closeEvent(QCloseEvent* event) {
  // Closed from outside (the window manager): the controller takes it down,
  // so its key monitor goes with it; the window itself is kept for next time.
  event->ignore();
  if (QWidget::isVisible() && events_.didResignKey) events_.didResignKey(*this);
  if (QWidget::isVisible()) orderOut();
}

void QtTypingWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!style_.borderless || style_.cornerRadius <= 0) return;
  QPainterPath outline;
  outline.addRoundedRect(QRectF(rect()), style_.cornerRadius, style_.cornerRadius);
  setMask(QRegion(outline.toFillPolygon().toPolygon()));
}

void QtTypingWindow::mousePressEvent(QMouseEvent* event) {
  // A press no control took: the window is dragged by its background.
  if (style_.movableByBackground && event->button() == Qt::LeftButton && windowHandle()) {
    windowHandle()->startSystemMove();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

}  // namespace tavelin::app
