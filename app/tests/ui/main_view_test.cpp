#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <filesystem>

#include <tavelin/action.hpp>
#include <tavelin/lib.hpp>

#include "fakes/RecordedRuns.hpp"
#include "fakes/TempCore.hpp"
#include "runtime/SequenceSession.hpp"
#include "ui/CandidateList.hpp"
#include "ui/Appearance.hpp"
#include "ui/House.hpp"
#include "ui/KeyCap.hpp"
#include "ui/MainFooter.hpp"
#include "ui/MainHeader.hpp"
#include "ui/MainView.hpp"
#include "ui/QtEventLoop.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;

class MainViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view.resize(600, 400);
    view.show();
    ASSERT_TRUE(testing::processEventsUntil([&] { return view.isVisible(); }));
  }

  void type(std::string_view keys) {
    for (const char key : keys) session->press(std::string(1, key));
  }
  void adopt(Store::Result changed) {
    ASSERT_TRUE(changed) << changed.error().message;
    core.adopt(*changed);
  }
  std::vector<QString> listedKeys() const {
    std::vector<QString> keys;
    for (const CandidateRow& row : view.list().rows()) keys.push_back(row.keys);
    return keys;
  }
  // Kept for looking at: the tests only check what the view was given.
  QImage render(const std::string& name) {
    const QImage image = view.grab().toImage();
    image.save(QString::fromStdString((std::filesystem::temp_directory_path() / ("tavelin-main-view-" + name + ".png")).string()));
    return image;
  }

  // Amber pixels in the header left of the layout switch (whose chosen option
  // has an amber border of its own).
  int amberInHeader(const QImage& image) const {
    int count = 0;
    const int right = view.header().optionRect(ViewType::Compact).left();
    for (int y = 0; y < view.header().height(); ++y) {
      for (int x = 0; x < right; ++x) count += image.pixelColor(x, y).rgb() == House::amber500().rgb() ? 1 : 0;
    }
    return count;
  }

  testing::TempCore temp;
  Core& core = *temp.core;
  testing::RecordedRuns ran;
  std::shared_ptr<SequenceSession> session = SequenceSession::make(core, temp.clock, ran.runner());
  std::vector<ViewType> chosen;
  MainView view{session, core, [this](ViewType v) { chosen.push_back(v); }};
};

TEST_F(MainViewTest, ListsWhatIsLeftToTypeOfEachReachableSequence) {
  adopt(core.store().upsert_sequence({new_identifier(), "term ls", "List in a terminal", {KeyAction::TerminalCommand{"ls"}}}));
  ASSERT_EQ(view.list().rows().size(), core.settings().sequences.size());
  EXPECT_EQ(view.header().typed(), "");
  EXPECT_EQ(view.footer().count(), static_cast<int>(core.settings().sequences.size()));
  EXPECT_EQ(view.footer().status(), Status::waiting);
  // Nothing typed: the whole keys, the space of "term ls" included.
  EXPECT_THAT(listedKeys(), ::testing::Contains(QString("term ls")));
  EXPECT_EQ(amberInHeader(render("idle")), 0);

  type("w");
  EXPECT_EQ(view.header().typed(), "w");
  // In configuration order, which the store keeps sorted by keys.
  EXPECT_THAT(listedKeys(), ElementsAre("c", "h", "j", "k", "l", "m", "n"));
  const CandidateRow& left = view.list().rows()[1];
  EXPECT_EQ(left.description, "Window: Move Left");
  EXPECT_EQ(left.kind, "window");
  EXPECT_EQ(view.footer().count(), 7);
  EXPECT_GT(amberInHeader(render("typed-w")), 0) << "the typed key is drawn as an amber cell";

  // Grid and list show the same rows.
  adopt(core.store().set_view_type(ViewType::Grid));
  EXPECT_EQ(view.list().viewType(), ViewType::Grid);
  EXPECT_EQ(view.header().viewType(), ViewType::Grid);
  render("typed-w-grid");
  adopt(core.store().set_view_type(ViewType::List));
  EXPECT_THAT(listedKeys(), ElementsAre("c", "h", "j", "k", "l", "m", "n"));
  EXPECT_EQ(view.list().rows()[1].summary, QString::fromStdString(action_summary({KeyAction::Window{WindowAction::MoveLeft}})));
  render("typed-w-list");
}

TEST_F(MainViewTest, SaysWhyTheListIsEmpty) {
  session->press("x");
  EXPECT_TRUE(view.list().rows().empty());
  EXPECT_EQ(view.list().emptyText(), "Nothing starts with x.");
  EXPECT_EQ(view.footer().status(), Status::unmatched);
  EXPECT_EQ(view.footer().message(), "Nothing is bound to x.");
  EXPECT_EQ(view.footer().count(), 0);
  render("unmatched");

  session->reset();
  adopt(core.store().clear_bindings());
  EXPECT_EQ(view.list().emptyText(), "No sequences yet.");
  EXPECT_EQ(view.footer().count(), 0);
  EXPECT_EQ(view.footer().message(), "");
}

TEST_F(MainViewTest, TheLayoutSwitchAsksForAViewTypeAndChangesNothingItself) {
  for (const ViewType option : {ViewType::Grid, ViewType::List, ViewType::Compact}) {
    const QPoint centre = view.header().optionRect(option).center();
    QMouseEvent click(QEvent::MouseButtonPress, centre, view.header().mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view.header(), &click);
  }
  EXPECT_THAT(chosen, ElementsAre(ViewType::Grid, ViewType::List, ViewType::Compact));
  EXPECT_EQ(core.settings().view_type, ViewType::Compact);
}

TEST_F(MainViewTest, FollowsTheApplicationsAppearance) {
  type("w");
  const QPoint emptyCanvas(view.width() / 2, view.height() - 60);  // below the rows, above the footer
  for (const bool dark : {true, false}) {
    SCOPED_TRACE(dark);
    setAppearance(dark ? Appearance::Dark : Appearance::Light);
    ASSERT_TRUE(testing::processEventsUntil([&] { return House::surface(view.palette()).canvas == House::surface(dark).canvas; }));
    const QImage image = render(dark ? "typed-w-dark" : "typed-w-light");
    EXPECT_EQ(image.pixelColor(emptyCanvas).rgb(), House::surface(dark).canvas.rgb());
  }
  setAppearance(Appearance::System);
  testing::processEventsUntil([&] { return view.palette() == QApplication::palette(); });
}

TEST(CandidateListColumns, AsManyWholeColumnsAsFitAndOneWhenFewerThanTwo) {
  struct Case {
    int width;
    int grid;
    int compact;
  };
  const Case cases[] = {{300, 1, 1}, {379, 1, 1}, {460, 2, 2}, {570, 2, 3}, {600, 2, 3}, {0, 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    EXPECT_EQ(CandidateList::columnCount(c.width, CandidateList::kGridColumnWidth), c.grid);
    EXPECT_EQ(CandidateList::columnCount(c.width, CandidateList::kCompactColumnWidth), c.compact);
  }
}

TEST(KeyCapWidth, CellsThreeApartAndNeverNarrowerThanTheMinimum) {
  EXPECT_EQ(KeyCap::width("h"), KeyCap::kMinimumWidth);
  EXPECT_EQ(KeyCap::width("term ls"), 7 * 19 + 6 * 3);
  // Characters, not bytes: "é" is one key.
  EXPECT_EQ(KeyCap::characters(QString::fromUtf8("é1")).size(), 2);
}

}  // namespace
}  // namespace tavelin::app
