#include "ui/CandidateList.hpp"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <algorithm>

#include "ui/House.hpp"
#include "ui/KeyCap.hpp"

namespace tavelin::app {
namespace {

// Compact rows.
constexpr int kCompactPaddingY = 6;
constexpr int kCompactCellPaddingX = 12;
constexpr int kCompactCellPaddingY = 5;
constexpr int kCompactSpacing = 10;
// Grid cards.
constexpr int kGridPadding = 12;
constexpr int kGridSpacing = 8;
constexpr int kCardPadding = 10;
constexpr int kCardGap = 8;
// List rows.
constexpr int kListPaddingX = 12;
constexpr int kListPaddingY = 7;
constexpr int kListSpacing = 12;

int lineHeight(const QFont& font) { return QFontMetrics(font).height(); }

// `text` broken into at most two lines `width` wide, the second cut at the end.
QStringList twoLines(const QString& text, const QFont& font, int width) {
  QFontMetrics metrics(font);
  if (metrics.horizontalAdvance(text) <= width) return {text};
  QTextLayout layout(text, font);
  layout.beginLayout();
  QTextLine first = layout.createLine();
  first.setLineWidth(width);
  layout.endLayout();
  const int cut = first.textLength();
  QStringList lines{text.left(cut).trimmed()};
  lines.push_back(metrics.elidedText(text.mid(cut).trimmed(), Qt::ElideRight, width));
  return lines;
}

}  // namespace

CandidateList::CandidateList(QWidget* parent) : QWidget(parent) {
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

void CandidateList::setState(std::vector<CandidateRow> rows, ViewType viewType, QString emptyText) {
  if (rows == rows_ && viewType == viewType_ && emptyText == emptyText_) return;
  rows_ = std::move(rows);
  viewType_ = viewType;
  emptyText_ = std::move(emptyText);
  updateGeometry();
  update();
}

int CandidateList::columnCount(int width, int columnWidth) {
  const int n = columnWidth > 0 ? width / columnWidth : 1;
  return n < 2 ? 1 : n;
}

int CandidateList::gridFirstLineHeight(const CandidateRow& row, int cellWidth) const {
  const QFont font = House::system(12);
  const int textWidth = cellWidth - 2 * kCardPadding - KeyCap::width(row.keys) - kCardGap;
  const auto lines = twoLines(row.description, font, std::max(1, textWidth)).size();
  return std::max(KeyCap::kCell, static_cast<int>(lines) * lineHeight(font));
}

std::vector<QRect> CandidateList::cells(int width) const {
  std::vector<QRect> out;
  out.reserve(rows_.size());
  switch (viewType_) {
    case ViewType::Compact: {
      const int n = columnCount(width, kCompactColumnWidth);
      const int height = KeyCap::kCell + 2 * kCompactCellPaddingY;
      for (std::size_t i = 0; i < rows_.size(); ++i) {
        const int column = static_cast<int>(i) % n;
        const int row = static_cast<int>(i) / n;
        const int left = width * column / n;
        const int right = width * (column + 1) / n;
        out.emplace_back(left, kCompactPaddingY + row * height, right - left, height);
      }
      break;
    }
    case ViewType::Grid: {
      const int n = columnCount(width, kGridColumnWidth);
      const int inner = width - 2 * kGridPadding - (n - 1) * kGridSpacing;
      const int kindHeight = lineHeight(House::mono(10));
      int top = kGridPadding;
      for (std::size_t first = 0; first < rows_.size(); first += static_cast<std::size_t>(n)) {
        const std::size_t last = std::min(rows_.size(), first + static_cast<std::size_t>(n));
        int height = 0;
        for (std::size_t i = first; i < last; ++i) {
          const int column = static_cast<int>(i - first);
          const int cellWidth = inner * (column + 1) / n - inner * column / n;
          height = std::max(height, gridFirstLineHeight(rows_[i], cellWidth));
        }
        height += 2 * kCardPadding + 4 + kindHeight;
        for (std::size_t i = first; i < last; ++i) {
          const int column = static_cast<int>(i - first);
          const int left = kGridPadding + inner * column / n + column * kGridSpacing;
          const int cellWidth = inner * (column + 1) / n - inner * column / n;
          out.emplace_back(left, top, cellWidth, height);
        }
        top += height + kGridSpacing;
      }
      break;
    }
    case ViewType::List: {
      const int height = 2 * kListPaddingY + lineHeight(House::system(12)) + 2 + lineHeight(House::mono(10));
      for (std::size_t i = 0; i < rows_.size(); ++i) {
        out.emplace_back(0, static_cast<int>(i) * (height + 1), width, height);
      }
      break;
    }
  }
  return out;
}

int CandidateList::heightForWidth(int width) const {
  const auto rects = cells(width);
  if (rects.empty()) return 0;
  int bottom = 0;
  for (const QRect& r : rects) bottom = std::max(bottom, r.bottom() + 1);
  switch (viewType_) {
    case ViewType::Compact: return bottom + kCompactPaddingY;
    case ViewType::Grid: return bottom + kGridPadding;
    case ViewType::List: return bottom;
  }
  return bottom;
}

QSize CandidateList::sizeHint() const { return {360, heightForWidth(360)}; }

void CandidateList::paintEvent(QPaintEvent*) {
  const House::Surface s = House::surface(palette());
  QPainter painter(this);
  painter.fillRect(rect(), s.canvas);

  if (rows_.empty()) {
    painter.setFont(House::system(11));
    painter.setPen(s.dim);
    painter.drawText(rect().adjusted(16, 0, -16, 0), Qt::AlignCenter | Qt::TextWordWrap, emptyText_);
    return;
  }

  const QFont description = House::system(12);
  const QFont small = House::mono(10);
  const auto rects = cells(width());
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const CandidateRow& row = rows_[i];
    const QRect cell = rects[i];
    switch (viewType_) {
      case ViewType::Compact: {
        const QPoint cap(cell.left() + kCompactCellPaddingX, cell.top() + kCompactCellPaddingY);
        KeyCap::paint(painter, cap, row.keys, s);
        const int textLeft = cap.x() + KeyCap::width(row.keys) + kCompactSpacing;
        const QRect text(textLeft, cell.top(), cell.right() - kCompactCellPaddingX - textLeft, cell.height());
        painter.setFont(description);
        painter.setPen(s.text);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetrics(description).elidedText(row.description, Qt::ElideRight, text.width()));
        break;
      }
      case ViewType::Grid: {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath card;
        card.addRoundedRect(QRectF(cell), 10, 10);
        painter.fillPath(card, s.card);
        painter.restore();
        const QRect inner = cell.adjusted(kCardPadding, kCardPadding, -kCardPadding, -kCardPadding);
        KeyCap::paint(painter, inner.topLeft(), row.keys, s);
        const int textLeft = inner.left() + KeyCap::width(row.keys) + kCardGap;
        const int textWidth = std::max(1, inner.right() + 1 - textLeft);
        painter.setFont(description);
        painter.setPen(s.text);
        const int lh = lineHeight(description);
        const QStringList lines = twoLines(row.description, description, textWidth);
        // One line sits level with the key cells; two start at the top.
        int y = lines.size() == 1 ? inner.top() + (KeyCap::kCell - lh) / 2 : inner.top();
        for (const QString& line : lines) {
          painter.drawText(QRect(textLeft, y, textWidth, lh), Qt::AlignLeft | Qt::AlignVCenter, line);
          y += lh;
        }
        painter.setFont(small);
        painter.setPen(s.dim);
        const int kindHeight = lineHeight(small);
        painter.drawText(QRect(inner.left(), inner.bottom() + 1 - kindHeight, inner.width(), kindHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, row.kind);
        break;
      }
      case ViewType::List: {
        painter.fillRect(cell, s.card);
        painter.fillRect(QRect(cell.left(), cell.bottom() + 1, cell.width(), 1), s.line);
        const QPoint cap(cell.left() + kListPaddingX, cell.top() + (cell.height() - KeyCap::kCell) / 2);
        KeyCap::paint(painter, cap, row.keys, s);
        const int textLeft = cap.x() + KeyCap::width(row.keys) + kListSpacing;
        const int textWidth = std::max(1, cell.right() - kListPaddingX - textLeft);
        const int lh = lineHeight(description);
        painter.setFont(description);
        painter.setPen(s.text);
        painter.drawText(QRect(textLeft, cell.top() + kListPaddingY, textWidth, lh), Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetrics(description).elidedText(row.description, Qt::ElideRight, textWidth));
        painter.setFont(small);
        painter.setPen(s.dim);
        painter.drawText(QRect(textLeft, cell.top() + kListPaddingY + lh + 2, textWidth, lineHeight(small)),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetrics(small).elidedText(row.summary, Qt::ElideMiddle, textWidth));
        break;
      }
    }
  }
}

}  // namespace tavelin::app
