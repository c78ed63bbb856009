#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controllers/ActionRunner.hpp"
#include "controllers/AppLauncher.hpp"
#include "controllers/ScriptRunner.hpp"
#include "controllers/WindowManager.hpp"
#include "controllers/terminal/TerminalAdapters.hpp"
#include "controllers/terminal/TerminalLaunch.hpp"
#include "fakes/FakeAppleScriptEngine.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/FakeProcesses.hpp"
#include "fakes/LogRecorder.hpp"
#include "fakes/ManualClock.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;
using Line = testing::LogRecorder::Line;
using Failure = ActionRunner::Failure;

// The runner with every real performer behind it, each on fakes of the desktop.
class ActionRunnerTest : public ::testing::Test {
 protected:
  ActionRunnerTest() {
    desktop.screenList = {{{{0, 0}, {1440, 900}}, {{0, 0}, {1440, 875}}}};
  }

  // Runs and returns what the completion said, checking it came exactly once.
  std::optional<Failure> run(const KeyAction& action, RunningApplicationRef target = nullptr) {
    int calls = 0;
    std::optional<Failure> answer;
    runner.run(action, std::move(target), [&](std::optional<Failure> failure) {
      ++calls;
      answer = std::move(failure);
    });
    clock.drain();
    EXPECT_EQ(calls, 1);
    return answer;
  }

  testing::ManualClock clock;
  testing::FakeDesktop desktop;
  testing::FakeProcesses processes;
  testing::FakeAppleScriptEngine appleScript;
  testing::LogRecorder log;
  ScriptRunner scripts{clock, processes, appleScript, [](const std::string& name) -> std::optional<std::string> {
                         if (name == "SHELL") return "/bin/sh";
                         return std::nullopt;
                       }};
  AppLauncher apps{desktop, clock, [] { return std::string("/home/ada"); }};
  WindowManager windows{desktop, desktop, desktop};
  TerminalLaunch launch{clock, desktop, processes};
  TerminalAdapters terminals{launch, scripts};
  std::string defaultTerminal = "com.apple.Terminal";
  ActionRunner runner{scripts, apps, windows, terminals, [this] { return defaultTerminal; }};
};

TEST_F(ActionRunnerTest, EachOutcomeIsOneLogLineThenTheCompletion) {
  processes.answer("/bin/sh", testing::FakeProcesses::exited(0, "Fri Dec 11\n"));
  processes.answer("/bin/sh", testing::FakeProcesses::exited(0, ""));
  processes.answer("/bin/sh", testing::FakeProcesses::exited(2, "", "no such thing\n"));

  EXPECT_EQ(run({KeyAction::Command{"date"}}), std::nullopt);
  EXPECT_EQ(run({KeyAction::Command{"true"}}), std::nullopt);
  EXPECT_EQ(run({KeyAction::Command{"nope"}}), (Failure{Status::failed, "no such thing"}));
  EXPECT_EQ(run({KeyAction::AppleScript{"return 42"}}), std::nullopt);
  EXPECT_THAT(log.lines(), ElementsAre(Line{LogLevel::Info, "ran Command: \"date\" · Fri Dec 11"},
                                       Line{LogLevel::Info, "ran Command: \"true\""},
                                       Line{LogLevel::Error, "failed Command: \"nope\" · no such thing"},
                                       Line{LogLevel::Info, "ran AppleScript: \"return 42\""}));
  EXPECT_THAT(processes.calls()[0].arguments, ElementsAre("-c", "date"));
}

TEST_F(ActionRunnerTest, WindowActionsMoveTheTargetNotTheFrontmost) {
  auto editor = desktop.addApp("Editor");
  auto other = desktop.addApp("Other");
  auto window = desktop.addWindow(editor, {{100, 75}, {800, 600}});
  desktop.frontmost = other;

  EXPECT_EQ(run({KeyAction::Window{WindowAction::MoveLeft}}, editor), std::nullopt);
  EXPECT_EQ(window->position, (Point{0, 75}));  // the bottom edge stays where it was
  EXPECT_EQ(window->size, (Size{720, 600}));

  const std::string sentence = "Other has no standard window in front.";
  EXPECT_EQ(run({KeyAction::Window{WindowAction::MoveLeft}}), (Failure{Status::failed, sentence}));
  EXPECT_EQ(log.lines().back(), (Line{LogLevel::Error, "failed Window: Move Left · " + sentence}));
}

TEST_F(ActionRunnerTest, AppActionsOpenAndToggle) {
  desktop.install("org.example.editor", "/usr/share/applications/org.example.editor.desktop");
  EXPECT_EQ(run({KeyAction::App{{AppAction::Open{"org.example.editor"}}}}), std::nullopt);
  EXPECT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(run({KeyAction::App{{AppAction::Open{"org.example.none"}}}}),
            (Failure{Status::failed, "No application on this Mac has the bundle id org.example.none."}));
  EXPECT_EQ(run({KeyAction::App{{AppAction::Toggle{}}}}),
            (Failure{Status::failed, "There is no other application to switch to yet."}));
  EXPECT_EQ(log.lines()[0], (Line{LogLevel::Info, "ran App: Open/Focus org.example.editor"}));
}

TEST_F(ActionRunnerTest, TerminalCommandsGoToTheDefaultTerminal) {
  defaultTerminal = "org.example.term";
  desktop.install("org.example.term", "/usr/share/applications/org.example.term.desktop");
  EXPECT_EQ(run({KeyAction::TerminalCommand{"ls -la"}}), std::nullopt);
  ASSERT_EQ(desktop.opened.size(), 1u);
  EXPECT_EQ(desktop.opened[0].url, "/usr/share/applications/org.example.term.desktop");
  EXPECT_TRUE(desktop.opened[0].configuration.createsNewInstance);
  EXPECT_EQ(desktop.opened[0].configuration.arguments.front(), "-e");

  defaultTerminal = "org.example.gone";  // and the fallback is not installed either
  const auto failure = run({KeyAction::TerminalCommand{"top"}});
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->message, "Apple Terminal is not on this Mac.");
  EXPECT_EQ(log.lines().back(), (Line{LogLevel::Error, "failed Terminal: \"top\" · Apple Terminal is not on this Mac."}));
}

}  // namespace
}  // namespace tavelin::app
