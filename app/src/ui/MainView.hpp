#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include <tavelin/config.hpp>

#include "runtime/Published.hpp"

class QScrollArea;

namespace tavelin::app {

class CandidateList;
class Core;
class MainFooter;
class MainHeader;
class SequenceSession;

// The typing window's content: what has been typed, the sequences still
// reachable with what remains to type, and the session's status. It holds no
// state of its own and redraws whenever the session or the settings publish.
class MainView final : public QWidget {
 public:
  // `chooseViewType` is the header's layout switch; the controller decides
  // what a choice does.
  MainView(std::shared_ptr<SequenceSession> session, Core& core, std::function<void(ViewType)> chooseViewType,
           QWidget* parent = nullptr);

  MainHeader& header() const { return *header_; }
  CandidateList& list() const { return *list_; }
  MainFooter& footer() const { return *footer_; }

 private:
  void redraw();

  std::shared_ptr<SequenceSession> session_;
  Core& core_;
  MainHeader* header_;
  QScrollArea* scroll_;
  CandidateList* list_;
  MainFooter* footer_;
  Subscription sessionObserver_;
  Subscription settingsObserver_;
};

}  // namespace tavelin::app
