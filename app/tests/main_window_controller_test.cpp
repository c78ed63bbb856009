#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tavelin/lib.hpp>

#include "controllers/MainWindowController.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/FakeKeyMonitors.hpp"
#include "fakes/FakeTypingWindow.hpp"
#include "fakes/LogRecorder.hpp"
#include "fakes/RecordedRuns.hpp"
#include "fakes/TempCore.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using State = SequenceSession::State;

// The key code matters only for Escape and Delete; text keys are read by
// their characters.
KeyEvent text(std::string characters, std::uint32_t modifiers = 0, std::string bare = {}) {
  if (bare.empty()) bare = characters;
  return {7, modifiers, std::move(characters), std::move(bare)};
}
KeyEvent chord(std::uint32_t modifiers, std::string bare) { return {7, modifiers, bare, bare}; }
KeyEvent escape(std::uint32_t modifiers = 0) { return {kKeyCodeEscape, modifiers, "\x1b", "\x1b"}; }
const KeyEvent kDelete{kKeyCodeDelete, 0, "\x7f", "\x7f"};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    desktop.frontmost = editor;
    controller->build();
  }

  std::shared_ptr<MainWindowController> makeController() {
    return MainWindowController::make({.core = core,
                                       .workspace = desktop,
                                       .main = temp.clock,
                                       .keyMonitors = keys,
                                       .windows = windows,
                                       .run = ran.runner(),
                                       .showSettings = [this](std::optional<int> tab) {
                                         settingsOpened.push_back(tab);
                                         windowUpWhenSettingsOpened = window().visible;
                                       }});
  }
  void type(std::string_view keysTyped) {
    for (const char key : keysTyped) EXPECT_TRUE(keys.press(text(std::string(1, key)))) << key;
  }
  void adopt(Store::Result changed) {
    ASSERT_TRUE(changed) << changed.error().message;
    core.adopt(*changed);
  }
  testing::FakeTypingWindow& window() { return *windows.last(); }
  const State& state() { return controller->session().state(); }
  State idle() const { return {"", core.settings().sequences, Status::waiting, std::nullopt}; }

  testing::TempCore temp;
  Core& core = *temp.core;
  testing::LogRecorder log;
  testing::FakeDesktop desktop;
  std::shared_ptr<testing::FakeApp> editor = desktop.addApp("Editor", "org.example.Editor");
  testing::FakeKeyMonitors keys;
  testing::FakeTypingWindows windows;
  testing::RecordedRuns ran;
  std::vector<std::optional<int>> settingsOpened;
  bool windowUpWhenSettingsOpened = false;
  std::shared_ptr<MainWindowController> controller = makeController();
};

TEST_F(MainWindowTest, BuildMakesTheWindowHiddenAtTheConfiguredSize) {
  EXPECT_EQ(windows.built.size(), 1u);
  EXPECT_FALSE(window().visible);
  EXPECT_EQ(window().contentSize, (WindowSize{600, 400}));
  EXPECT_EQ(window().style, MainWindowController::kWindowStyle);
  EXPECT_EQ(window().session.get(), &controller->session());
  EXPECT_EQ(controller->lastOtherApp(), editor);
  EXPECT_TRUE(log.has(LogLevel::Debug, "Main window built at 600×400."));
  controller->build();
  EXPECT_EQ(windows.built.size(), 1u);
}

TEST_F(MainWindowTest, TheChordShowsTheWindowAndEscapeWithAnyModifiersReturnsTheFocus) {
  for (const std::uint32_t modifiers : {0u, shift_key, cmd_key, control_key | option_key}) {
    SCOPED_TRACE(modifiers);
    const int activationsBefore = editor->activations;
    desktop.frontmost = editor;
    controller->toggle();
    EXPECT_TRUE(window().visible && window().key);
    EXPECT_EQ(desktop.frontmost, desktop.self);
    EXPECT_EQ(keys.liveCount(), 1u);
    EXPECT_EQ(controller->session().previousApp(), editor);
    type("w");
    EXPECT_EQ(state().typed, "w");

    EXPECT_TRUE(keys.press(escape(modifiers)));
    EXPECT_FALSE(window().visible);
    EXPECT_EQ(keys.liveCount(), 0u);
    EXPECT_EQ(editor->activations, activationsBefore + 1);
    EXPECT_EQ(state(), idle());
    EXPECT_EQ(core.resolver().typed(), "");
  }
  EXPECT_TRUE(log.has(LogLevel::Debug, "Frontmost before activation: Editor"));

  // The chord again while the window is up does what Escape does.
  desktop.frontmost = editor;
  controller->toggle();
  controller->toggle();
  EXPECT_FALSE(window().visible);
  EXPECT_EQ(editor->activations, 5);
}

TEST_F(MainWindowTest, WithNothingToReturnToEscapeOnlyHides) {
  struct Case {
    const char* name;
    std::function<void()> before;  // runs before the chord
    std::function<void()> during;  // runs while the window is up
  };
  const Case cases[] = {
      {"Tavelin itself in front", [&] { desktop.frontmost = desktop.self; }, [] {}},
      {"nothing in front", [&] { desktop.frontmost = nullptr; }, [] {}},
      {"the application quit meanwhile", [&] { desktop.frontmost = editor; }, [&] { editor->terminated = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.before();
    controller->toggle();
    c.during();
    EXPECT_TRUE(keys.press(escape()));
    EXPECT_FALSE(window().visible);
    EXPECT_EQ(editor->activations, 0);
    EXPECT_EQ(desktop.self->activations, 0);
  }
}

TEST_F(MainWindowTest, TheMenuReturnsToTheLastOtherApplicationAndAimsTheActionAtIt) {
  auto browser = desktop.addApp("Browser");
  desktop.activateApp(browser);
  desktop.activateApp(desktop.self);  // the settings window, say
  EXPECT_EQ(controller->lastOtherApp(), browser);

  controller->showFromMenuBar();
  EXPECT_TRUE(window().visible);
  EXPECT_EQ(controller->session().previousApp(), browser);
  type("w");
  controller->showFromMenuBar();  // already up: the typing goes on
  EXPECT_EQ(state().typed, "w");

  ran.onRun = [&] {
    EXPECT_FALSE(window().visible);
    EXPECT_EQ(browser->activations, 1) << "the focus is back before the action runs";
  };
  type("h");
  ASSERT_EQ(ran.runs.size(), 1u);
  EXPECT_EQ(ran.runs[0].target, browser);
  EXPECT_EQ(state(), idle());
  EXPECT_EQ(keys.liveCount(), 0u);
}

TEST_F(MainWindowTest, ChordsThatAreNotTheWindowsOwnArePassedOn) {
  const KeyEvent passed[] = {
      {12, cmd_key, "q", "q"},               // ⌘Q quits, although q starts a sequence
      {12, cmd_key | alpha_lock, "Q", "Q"},  // and with caps lock on
      chord(cmd_key, "w"),
      chord(cmd_key | shift_key, "1"),
      text("∑", option_key, "w"),
      text("\x17", control_key, "w"),
      text("\r"),
      text("\t"),
      text("", 0, "e"),  // a dead key produces no text
  };
  controller->toggle();
  for (const KeyEvent& event : passed) {
    SCOPED_TRACE(event.charactersIgnoringModifiers);
    EXPECT_FALSE(keys.press(event));
  }
  EXPECT_TRUE(window().visible);
  EXPECT_EQ(state(), idle());
  EXPECT_TRUE(ran.runs.empty());
  EXPECT_EQ(core.settings().view_type, ViewType::Compact);
}

TEST_F(MainWindowTest, ShiftedKeysAreTypedAsTheirShiftedCharacters) {
  adopt(core.store().upsert_sequence({new_identifier(), "G?", "Search", {KeyAction::Command{"true"}}}));
  controller->toggle();
  EXPECT_TRUE(keys.press(text("G", shift_key, "g")));
  EXPECT_EQ(state().typed, "G");
  EXPECT_TRUE(keys.press(text("?", shift_key, "/")));
  ASSERT_EQ(ran.runs.size(), 1u);
  EXPECT_EQ(ran.runs[0].action, (KeyAction{KeyAction::Command{"true"}}));
}

TEST_F(MainWindowTest, DeleteDuringAMissDropsTheLastKeyAndCancelsTheReset) {
  controller->toggle();
  type("wx");
  EXPECT_EQ(state().status, Status::unmatched);
  temp.clock.advance(0.3);
  EXPECT_TRUE(keys.press(kDelete));
  std::vector<KeySequence> wSequences;
  for (const auto& sequence : core.settings().sequences) {
    if (sequence.keys.starts_with("w")) wSequences.push_back(sequence);
  }
  const State narrowed{"w", wSequences, Status::waiting, std::nullopt};
  EXPECT_EQ(state(), narrowed);
  temp.clock.advance(1);
  EXPECT_EQ(state(), narrowed);
}

TEST_F(MainWindowTest, CommandCommaOpensTheSettingsWithoutReturningTheFocus) {
  controller->toggle();
  type("w");
  EXPECT_TRUE(keys.press(chord(cmd_key, ",")));
  EXPECT_THAT(settingsOpened, ElementsAre(std::nullopt));
  EXPECT_FALSE(windowUpWhenSettingsOpened);
  EXPECT_EQ(editor->activations, 0);
  EXPECT_EQ(keys.liveCount(), 0u);
  EXPECT_EQ(state(), idle());
}

TEST_F(MainWindowTest, CommandDigitsSwitchTheLayoutOnDiskAndKeepTheTypedText) {
  const std::pair<std::string, ViewType> cases[] = {
      {"2", ViewType::Grid}, {"3", ViewType::List}, {"1", ViewType::Compact}};
  // The fresh defaults are in build order until the first save sorts them,
  // and a new order is a new list for the resolver.
  adopt(core.store().set_view_type(ViewType::Compact));
  controller->toggle();
  type("w");
  for (const auto& [digit, viewType] : cases) {
    SCOPED_TRACE(digit);
    EXPECT_TRUE(keys.press(chord(cmd_key, digit)));
    EXPECT_EQ(core.settings().view_type, viewType);
    EXPECT_THAT(tavelin::testing::read_file(temp.path),
                HasSubstr("\"view_type\": \"" + std::string(view_type_name(viewType)) + "\""));
    EXPECT_TRUE(window().visible);
    EXPECT_EQ(state().typed, "w");
    EXPECT_EQ(state().status, Status::waiting);
  }
  // The view's layout switch takes the same road.
  window().events.chooseViewType(ViewType::List);
  EXPECT_EQ(core.settings().view_type, ViewType::List);
  EXPECT_EQ(state().typed, "w");
}

TEST_F(MainWindowTest, ARefusedLayoutChangeIsLoggedAndChangesNothing) {
  std::filesystem::create_directory(temp.path.string() + ".tmp");  // the save cannot write its temporary file
  const std::string refusal = core.store().set_view_type(ViewType::Grid).error().message;
  controller->toggle();
  type("w");
  log.clear();

  EXPECT_TRUE(keys.press(chord(cmd_key, "2")));
  EXPECT_EQ(core.settings().view_type, ViewType::Compact);
  EXPECT_THAT(log.lines(), ElementsAre(testing::LogRecorder::Line{LogLevel::Default,
                                                                  "Config change refused: " + refusal}));
  EXPECT_TRUE(window().visible);
  EXPECT_EQ(state().typed, "w");
}

TEST_F(MainWindowTest, ANewSizeFromTheSettingsResizesAtOnceAndRecentresAVisibleWindow) {
  const int centredAtBuild = window().centerings;
  adopt(core.store().set_main_window({700.5, 450}));
  EXPECT_EQ(window().contentSize, (WindowSize{700.5, 450}));
  EXPECT_EQ(window().centerings, centredAtBuild);

  controller->toggle();
  const int centredAtShow = window().centerings;
  adopt(core.store().set_main_window({800, 600}));
  EXPECT_EQ(window().contentSize, (WindowSize{800, 600}));
  EXPECT_EQ(window().centerings, centredAtShow + 1);
  adopt(core.store().set_view_type(ViewType::Grid));  // not a size: nothing moves
  EXPECT_EQ(window().centerings, centredAtShow + 1);

  // A window built at a fractional size logs whole numbers.
  adopt(core.store().set_main_window({640.9, 480.5}));
  makeController()->build();
  EXPECT_TRUE(log.has(LogLevel::Debug, "Main window built at 640×480."));
}

TEST_F(MainWindowTest, LosingKeyStatusHidesWithoutActivatingAnything) {
  controller->toggle();
  type("w");
  testing::FakeTypingWindow other;
  controller->windowDidResignKey(other);  // not ours
  EXPECT_TRUE(window().visible);

  window().resignKey();
  EXPECT_FALSE(window().visible);
  EXPECT_EQ(editor->activations, 0);
  EXPECT_EQ(keys.liveCount(), 0u);
  EXPECT_EQ(state(), idle());
}

}  // namespace
}  // namespace tavelin::app
