#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

#include <tavelin/config.hpp>

namespace tavelin::app {

// One reachable sequence as the list shows it.
struct CandidateRow {
  QString keys;  // what is still to be typed
  QString description;
  QString summary;  // the action in one line
  QString kind;     // the action's kind word
  bool operator==(const CandidateRow&) const = default;
};

// The typing window's list area: the reachable sequences in the chosen
// layout, or one sentence when there are none. Taller than its viewport when
// the rows need it; the scroll area around it scrolls.
class CandidateList final : public QWidget {
 public:
  static constexpr int kGridColumnWidth = 230;
  static constexpr int kCompactColumnWidth = 190;

  explicit CandidateList(QWidget* parent = nullptr);

  void setState(std::vector<CandidateRow> rows, ViewType viewType, QString emptyText);

  const std::vector<CandidateRow>& rows() const { return rows_; }
  ViewType viewType() const { return viewType_; }
  // What the list area says when there are no rows.
  const QString& emptyText() const { return emptyText_; }

  // How many columns a grid of `columnWidth` gets in `width`: as many whole
  // columns as fit, and one when fewer than two do.
  static int columnCount(int width, int columnWidth);

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

  // Each row's cell for a list area `width` wide, in the order of the rows.
  std::vector<QRect> cells(int width) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int gridFirstLineHeight(const CandidateRow& row, int cellWidth) const;

  std::vector<CandidateRow> rows_;
  ViewType viewType_ = ViewType::Compact;
  QString emptyText_;
};

}  // namespace tavelin::app
