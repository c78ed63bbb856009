#include "ui/MainFooter.hpp"

#include <QFontMetrics>
#include <QPainter>

#include "ui/House.hpp"

namespace tavelin::app {
namespace {

constexpr int kPaddingX = 16;
constexpr int kPaddingY = 8;
constexpr int kSpacing = 10;
constexpr int kRowHeight = 15;
constexpr int kDot = 7;

}  // namespace

MainFooter::MainFooter(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MainFooter::setState(Status status, const QString& message, int count) {
  if (status == status_ && message == message_ && count == count_) return;
  status_ = status;
  message_ = message;
  count_ = count;
  update();
}

// The rule along the top is the divider above the footer.
QSize MainFooter::sizeHint() const { return {360, 1 + 2 * kPaddingY + kRowHeight}; }

void MainFooter::paintEvent(QPaintEvent*) {
  const House::Surface s = House::surface(palette());
  QPainter painter(this);
  painter.fillRect(rect(), s.card);
  painter.fillRect(QRect(0, 0, width(), 1), s.line);

  const QRect row(kPaddingX, 1 + kPaddingY, width() - 2 * kPaddingX, height() - 1 - 2 * kPaddingY);
  const QColor ink = House::statusColor(status_, s);
  const QFont mono = House::mono(11);

  // The count, right-aligned; the status on the left; the message between.
  const QString count = QString::number(count_);
  const int countWidth = QFontMetrics(mono).horizontalAdvance(count);
  painter.setFont(mono);
  painter.setPen(s.dim);
  painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter, count);

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  painter.drawEllipse(QRectF(row.left(), row.center().y() - kDot / 2.0 + 0.5, kDot, kDot));
  painter.restore();

  const QString word = QString::fromUtf8(statusWord(status_).data(), static_cast<qsizetype>(statusWord(status_).size()));
  const int wordLeft = row.left() + kDot + 6;
  const int wordWidth = QFontMetrics(mono).horizontalAdvance(word);
  painter.setPen(ink);
  painter.drawText(QRect(wordLeft, row.top(), wordWidth + 1, row.height()), Qt::AlignLeft | Qt::AlignVCenter, word);

  if (!message_.isEmpty()) {
    const QFont font = House::system(11);
    const int left = wordLeft + wordWidth + kSpacing;
    const int available = row.right() + 1 - countWidth - 8 - left;
    if (available > 0) {
      painter.setFont(font);
      painter.setPen(s.dim);
      painter.drawText(QRect(left, row.top(), available, row.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       QFontMetrics(font).elidedText(message_, Qt::ElideMiddle, available));
    }
  }
}

}  // namespace tavelin::app
