#include "ui/MainView.hpp"

#include <QScrollArea>
#include <QVBoxLayout>

#include <tavelin/action.hpp>

#include "runtime/Core.hpp"
#include "runtime/SequenceSession.hpp"
#include "ui/CandidateList.hpp"
#include "ui/MainFooter.hpp"
#include "ui/MainHeader.hpp"

namespace tavelin::app {
namespace {

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

MainView::MainView(std::shared_ptr<SequenceSession> session, Core& core, std::function<void(ViewType)> chooseViewType,
                   QWidget* parent)
    : QWidget(parent),
      session_(std::move(session)),
      core_(core),
      header_(new MainHeader(std::move(chooseViewType), this)),
      scroll_(new QScrollArea(this)),
      list_(new CandidateList),
      footer_(new MainFooter(this)) {
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setWidgetResizable(true);
  scroll_->setWidget(list_);

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(header_);
  column->addWidget(scroll_, 1);
  column->addWidget(footer_);

  // Both deliver their current value at once, so the view starts drawn.
  sessionObserver_ = session_->published().subscribe([this](const SequenceSession::State&) { redraw(); });
  settingsObserver_ = core_.published().subscribe([this](const Settings&) { redraw(); });
}

void MainView::redraw() {
  const SequenceSession::State& state = session_->state();
  const ViewType viewType = core_.settings().view_type;
  const Resolver& resolver = core_.resolver();

  std::vector<CandidateRow> rows;
  rows.reserve(state.candidates.size());
  for (const KeySequence& sequence : state.candidates) {
    rows.push_back({text(resolver.remainder(sequence).value_or(sequence.keys)), text(sequence.description),
                    text(action_summary(sequence.action)), text(action_kind(sequence.action))});
  }
  const QString empty = state.typed.empty() ? QStringLiteral("No sequences yet.")
                                            : QStringLiteral("Nothing starts with %1.").arg(text(state.typed));

  header_->setState(text(state.typed), viewType);
  list_->setState(std::move(rows), viewType, empty);
  footer_->setState(state.status, text(state.message.value_or("")), static_cast<int>(state.candidates.size()));
}

}  // namespace tavelin::app
