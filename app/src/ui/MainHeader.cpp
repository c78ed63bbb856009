#include "ui/MainHeader.hpp"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <array>

#include "ui/House.hpp"
#include "ui/KeyCap.hpp"

namespace tavelin::app {
namespace {

constexpr int kPaddingX = 16;
constexpr int kPaddingY = 11;
constexpr int kRowHeight = 20;
constexpr QSize kOption{26, 20};

struct LayoutOption {
  ViewType viewType;
  const char* help;
};

constexpr std::array<LayoutOption, 3> kOptions{{
    {ViewType::Compact, "Compact · ⌘1"},
    {ViewType::Grid, "Grid · ⌘2"},
    {ViewType::List, "List · ⌘3"},
}};

// Small line drawings standing for the three layouts, centred in `box`.
void paintOptionIcon(QPainter& painter, ViewType viewType, const QRectF& box, const QColor& ink) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(ink, 1.2));
  painter.setBrush(Qt::NoBrush);
  const QPointF c = box.center();
  switch (viewType) {
    case ViewType::Compact: {
      const QRectF frame(c.x() - 7, c.y() - 5, 14, 10);
      painter.drawRoundedRect(frame, 2, 2);
      painter.drawLine(QPointF(frame.left() + 14.0 / 3, frame.top()), QPointF(frame.left() + 14.0 / 3, frame.bottom()));
      painter.drawLine(QPointF(frame.left() + 28.0 / 3, frame.top()), QPointF(frame.left() + 28.0 / 3, frame.bottom()));
      break;
    }
    case ViewType::Grid:
      for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
          painter.drawRoundedRect(QRectF(c.x() - 5.5 + column * 6.5, c.y() - 5.5 + row * 6.5, 4.5, 4.5), 1, 1);
        }
      }
      break;
    case ViewType::List:
      for (int row = 0; row < 3; ++row) {
        const double y = c.y() - 4 + row * 4;
        painter.setBrush(ink);
        painter.drawEllipse(QPointF(c.x() - 5, y), 0.9, 0.9);
        painter.setBrush(Qt::NoBrush);
        painter.drawLine(QPointF(c.x() - 2.5, y), QPointF(c.x() + 6, y));
      }
      break;
  }
  painter.restore();
}

}  // namespace

MainHeader::MainHeader(std::function<void(ViewType)> chooseViewType, QWidget* parent)
    : QWidget(parent), chooseViewType_(std::move(chooseViewType)) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MainHeader::setState(const QString& typed, ViewType viewType) {
  if (typed == typed_ && viewType == viewType_) return;
  typed_ = typed;
  viewType_ = viewType;
  update();
}

// One hairline more than the row: the divider under the header.
QSize MainHeader::sizeHint() const { return {360, kPaddingY * 2 + kRowHeight + 1}; }

QRect MainHeader::optionRect(ViewType viewType) const {
  int index = 0;
  for (std::size_t i = 0; i < kOptions.size(); ++i) {
    if (kOptions[i].viewType == viewType) index = static_cast<int>(i);
  }
  const int left = width() - kPaddingX - kOption.width() * static_cast<int>(kOptions.size());
  return {QPoint(left + index * kOption.width(), kPaddingY), kOption};
}

void MainHeader::paintEvent(QPaintEvent*) {
  const House::Surface s = House::surface(palette());
  QPainter painter(this);
  painter.fillRect(rect(), s.card);
  painter.fillRect(QRect(0, height() - 1, width(), 1), s.line);

  // The brand word, in capitals with a little air between the letters.
  QFont eyebrow = House::mono(10, true);
  eyebrow.setLetterSpacing(QFont::AbsoluteSpacing, 1);
  painter.setFont(eyebrow);
  painter.setPen(s.amberText);
  const QRect row(kPaddingX, kPaddingY, width() - 2 * kPaddingX, kRowHeight);
  QRect brand;
  painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TAVELIN"), &brand);

  const int typedLeft = brand.right() + 1 + 12;
  const int cellTop = kPaddingY + (kRowHeight - KeyCap::kCell) / 2;
  if (typed_.isEmpty()) {
    painter.setFont(House::mono(12));
    painter.setPen(s.dim);
    painter.drawText(QRect(typedLeft, kPaddingY, row.right() - typedLeft, kRowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("type a sequence"));
  } else {
    int x = typedLeft;
    for (const QString& key : KeyCap::characters(typed_)) {
      KeyCap::paintAmberCell(painter, QPoint(x, cellTop), key);
      x += KeyCap::kCell + KeyCap::kGap;
    }
  }

  for (const LayoutOption& option : kOptions) {
    const QRect box = optionRect(option.viewType);
    const bool chosen = option.viewType == viewType_;
    if (chosen) {
      painter.save();
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setPen(QPen(House::amber500(), 1));
      painter.setBrush(s.raised);
      painter.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
      painter.restore();
    }
    paintOptionIcon(painter, option.viewType, box, chosen ? s.text : s.dim);
  }
}

void MainHeader::mousePressEvent(QMouseEvent* event) {
  for (const LayoutOption& option : kOptions) {
    if (optionRect(option.viewType).contains(event->position().toPoint())) {
      if (chooseViewType_) chooseViewType_(option.viewType);
      event->accept();
      return;
    }
  }
  // Anywhere else the press belongs to the window, which may be dragged by it.
  event->ignore();
}

bool MainHeader::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    for (const LayoutOption& option : kOptions) {
      if (optionRect(option.viewType).contains(help->pos())) {
        QToolTip::showText(help->globalPos(), QString::fromUtf8(option.help), this);
        return true;
      }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  return QWidget::event(event);
}

}  // namespace tavelin::app
