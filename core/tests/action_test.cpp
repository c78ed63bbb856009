#include <gtest/gtest.h>

#include <tavelin/action.hpp>

namespace tavelin {
namespace {

std::string repeat(std::string_view piece, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += piece;
  return out;
}

KeyAction script(std::string s) { return {KeyAction::AppleScript{std::move(s)}}; }
KeyAction command(std::string s) { return {KeyAction::Command{std::move(s)}}; }
KeyAction terminal(std::string s) { return {KeyAction::TerminalCommand{std::move(s)}}; }
KeyAction window(WindowAction a) { return {KeyAction::Window{a}}; }
KeyAction open(std::string id) { return {KeyAction::App{{AppAction::Open{std::move(id)}}}}; }
const KeyAction toggle{KeyAction::App{{AppAction::Toggle{}}}};

TEST(Action, KindWords) {
  EXPECT_EQ(action_kind(script("x")), "applescript");
  EXPECT_EQ(action_kind(command("x")), "command");
  EXPECT_EQ(action_kind(terminal("x")), "terminal");
  EXPECT_EQ(action_kind(window(WindowAction::MoveTop)), "window");
  EXPECT_EQ(action_kind(toggle), "app");
}

TEST(Action, SummariesCutScriptsAndKeepCommandsVerbatim) {
  const std::string forty = repeat("a", 40);
  const struct {
    KeyAction action;
    std::string summary;
  } cases[] = {
      {script(forty), "AppleScript: \"" + forty + "\""},
      {script(forty + "b"), "AppleScript: \"" + forty + "…\""},
      // Trimmed before counting.
      {script("  \n" + forty + " \t"), "AppleScript: \"" + forty + "\""},
      {script(repeat("é", 40)), "AppleScript: \"" + repeat("é", 40) + "\""},
      {script(repeat("中", 39) + "😀x"), "AppleScript: \"" + repeat("中", 39) + "😀…\""},
      {script("  tell application \"Finder\" to activate  "),
       "AppleScript: \"tell application \"Finder\" to activate\""},
      {script("\u00a0\u3000beep\u2028"), "AppleScript: \"beep\""},  // Unicode white space
      {script("line one\nline two"), "AppleScript: \"line one\nline two\""},
      {script(" \t "), "AppleScript: \"\""},
      {command("  ls -la  "), "Command: \"  ls -la  \""},
      {command(repeat("x", 60)), "Command: \"" + repeat("x", 60) + "\""},
      {terminal(" htop\n"), "Terminal: \" htop\n\""},
      {window(WindowAction::MoveToNextDisplay), "Window: Move to Next Display"},
      {toggle, "App: Toggle between the two most recent applications"},
      {open("com.apple.Safari"), "App: Open/Focus com.apple.Safari"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(action_summary(c.action), c.summary);
  }
}

TEST(Action, AppDetailNamesTheApplication) {
  const struct {
    std::string identifier;
    std::string detail;
  } cases[] = {
      {"/Applications/Safari.app", "Open/Focus Safari"},
      {"com.apple.Safari", "Open/Focus com.apple.Safari"},
      {"/Applications/A Very Long Application Name Indeed.app",
       "Open/Focus A Very Long Application Nam…"},
      {repeat("n", 30) + ".app", "Open/Focus " + repeat("n", 30)},
      {repeat("n", 31), "Open/Focus " + repeat("n", 27) + "…"},
      {"/x/" + repeat("é", 31), "Open/Focus " + repeat("é", 27) + "…"},
      {"Foo.app.app", "Open/Focus Foo"},
      {"Foo.APP", "Open/Focus Foo.APP"},
      {"/Applications/.app", "Open/Focus "},
      // The name is what follows the last "/", even when nothing does.
      {"/Applications/Safari.app/", "Open/Focus "},
      {"/", "Open/Focus "},
      {"", "Open/Focus "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(app_action_detail({AppAction::Open{c.identifier}}), c.detail) << c.identifier;
  }
  EXPECT_EQ(app_action_detail({AppAction::Toggle{}}),
            "Toggle between the two most recent applications");
}

TEST(Action, RunnableWhenThereIsSomethingToRun) {
  const struct {
    KeyAction action;
    bool runnable;
  } cases[] = {
      {script("beep"), true},     {script(" \n "), false},  {script(""), false},
      {command("ls"), true},      {command("\t  "), false}, {command("\u00a0\u3000"), false},
      {terminal(" top "), true},  {terminal(""), false},
      {open("com.apple.Safari"), true}, {open("  "), false},
      {toggle, true},             {window(WindowAction::ToggleMaximize), true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(action_is_runnable(c.action), c.runnable) << action_summary(c.action);
  }
}

TEST(Action, WindowVerbsInPickerOrder) {
  const struct {
    WindowAction action;
    std::string_view title, detail;
  } verbs[] = {
      {WindowAction::MoveLeft, "Move Left", "Move window to the left half of the screen"},
      {WindowAction::MoveRight, "Move Right", "Move window to the right half of the screen"},
      {WindowAction::MoveTop, "Move Top", "Move window to the top half of the screen"},
      {WindowAction::MoveBottom, "Move Bottom", "Move window to the bottom half of the screen"},
      {WindowAction::CenterHorizontally, "Center Horizontally", "Center window horizontally"},
      {WindowAction::ToggleMaximize, "Toggle Maximize", "Toggle window maximize state"},
      {WindowAction::MoveToNextDisplay, "Move to Next Display", "Move window to the next display"},
  };
  const auto order = window_actions();
  ASSERT_EQ(order.size(), std::size(verbs));
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(order[i], verbs[i].action) << i;
    EXPECT_EQ(window_action_title(verbs[i].action), verbs[i].title);
    EXPECT_EQ(window_action_detail(verbs[i].action), verbs[i].detail);
  }
}

TEST(Action, MethodsAnswerAsTheFreeFunctions) {
  for (const auto& action : {script(" x "), command(""), open("/A/B.app"), toggle}) {
    EXPECT_EQ(action.kind(), action_kind(action));
    EXPECT_EQ(action.summary(), action_summary(action));
    EXPECT_EQ(action.is_runnable(), action_is_runnable(action));
  }
  const AppAction app{AppAction::Open{"/A/B.app"}};
  EXPECT_EQ(app.detail(), "Open/Focus B");
}

}  // namespace
}  // namespace tavelin
