// The pieces terminal launch builds from plain inputs: the two AppleScript
// scripts, the login-shell wrapping, the wezterm search and the pane choice.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "controllers/terminal/AppleTerminalAdapter.hpp"
#include "controllers/terminal/ITermAdapter.hpp"
#include "controllers/terminal/LoginShell.hpp"
#include "controllers/terminal/WezTermAdapter.hpp"
#include "platform/linux/posix/PosixProcesses.hpp"
#include "temp_dir.hpp"

namespace tavelin::app {
namespace {

// Quotes, a backslash, a line break, and an escaped quote that shows whether
// backslashes were doubled before quotes were escaped.
const std::string trickyCommand = R"(say "hi" \ "there")" "\n" R"(echo \"x\")";
const std::string trickyEscaped = R"(say \"hi\" \\ \"there\")" "\n" R"(echo \\\"x\\\")";

TEST(TerminalAppleScript, AppleTerminalRunsTheCommandInAnIdleTabOrANewWindow) {
  const std::string expected =
      "tell application \"Terminal\"\n"
      "    activate\n"
      "    set idleTab to missing value\n"
      "    repeat with w in windows\n"
      "        repeat with t in tabs of w\n"
      "            if not busy of t then\n"
      "                set idleTab to t\n"
      "                exit repeat\n"
      "            end if\n"
      "        end repeat\n"
      "        if idleTab is not missing value then exit repeat\n"
      "    end repeat\n"
      "    if idleTab is missing value then\n"
      "        do script \"" + trickyEscaped + "\"\n"
      "    else\n"
      "        do script \"" + trickyEscaped + "\" in idleTab\n"
      "    end if\n"
      "end tell";
  EXPECT_EQ(AppleTerminalAdapter::script(trickyCommand), expected);
}

TEST(TerminalAppleScript, ITermWritesTheCommandIntoANewWindowOrTab) {
  const std::string expected =
      "tell application \"iTerm\"\n"
      "    activate\n"
      "    if (count of windows) = 0 then\n"
      "        set w to (create window with default profile)\n"
      "        tell current session of w to write text \"" + trickyEscaped + "\"\n"
      "    else\n"
      "        tell current window\n"
      "            set t to (create tab with default profile)\n"
      "            tell current session of t to write text \"" + trickyEscaped + "\"\n"
      "        end tell\n"
      "    end if\n"
      "end tell";
  EXPECT_EQ(ITermAdapter::script(trickyCommand), expected);
}

TEST(LoginShell, WrapsTheCommandSoALoginShellStaysOpen) {
  struct Case {
    std::optional<std::string> shell;
    std::string command;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {"/bin/bash", "ls -la", {"/bin/bash", "-lc", "ls -la\nexec /bin/bash -l"}},
      {std::nullopt, "make test", {"/bin/zsh", "-lc", "make test\nexec /bin/zsh -l"}},
      {"", "make test", {"/bin/zsh", "-lc", "make test\nexec /bin/zsh -l"}},
      {"/usr/local/bin/fish-3.7", trickyCommand,
       {"/usr/local/bin/fish-3.7", "-lc", trickyCommand + "\nexec /usr/local/bin/fish-3.7 -l"}},
      // A path the shell would split or run as code is quoted on the exec line.
      {"/opt/my shells/fish", "ls", {"/opt/my shells/fish", "-lc", "ls\nexec '/opt/my shells/fish' -l"}},
      {"/tmp/it's;sh", "ls", {"/tmp/it's;sh", "-lc", "ls\nexec '/tmp/it'\\''s;sh' -l"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shell.value_or("<unset>"));
    EXPECT_EQ(LoginShell::arguments(c.command, c.shell), c.arguments);
  }
}

// The exec line read by a real shell: with a shell path holding a space, a
// quote and a `;`, the command runs and then exactly that program takes over.
TEST(LoginShell, TheExecLineStartsTheShellItNames) {
  tavelin::testing::TempDir home;
  const auto folder = home / "it's; a shell";
  std::filesystem::create_directory(folder);
  const auto shell = folder / "sh";
  tavelin::testing::write_file(shell, "#!/bin/sh\nprintf 'shell %s\\n' \"$@\"\n");
  std::filesystem::permissions(shell, std::filesystem::perms::owner_all);

  const auto arguments = LoginShell::arguments("echo ran", shell.string());
  ASSERT_EQ(arguments.size(), 3u);
  const auto result = PosixProcesses{}.run("/bin/sh", {"-c", arguments[2]});
  ASSERT_TRUE(result.has_value());
  EXPECT_EQ(result->standardError, "");
  EXPECT_EQ(result->standardOutput, "ran\nshell -l\n");
}

TEST(WezTermExecutable, SearchesPathThenTheFixedPlaces) {
  const std::string url = "/Applications/WezTerm.app";
  const std::string bundled = "/Applications/WezTerm.app/Contents/MacOS/wezterm";
  struct Case {
    const char* name;
    std::optional<std::string> path;
    std::optional<std::string> home;
    std::set<std::string> executables;
    std::optional<std::string> found;
  };
  const Case cases[] = {
      {"PATH in order", "/a:/b", "/home/ada", {"/b/wezterm", "/a/wezterm"}, "/a/wezterm"},
      // Read as the current folder or the root, an empty piece would hit one of
      // the first three.
      {"empty PATH pieces skipped", ":/a::/b:", "/home/ada", {"wezterm", "./wezterm", "/wezterm", "/b/wezterm"},
       "/b/wezterm"},
      {"PATH before the fixed places", "/b", "/home/ada", {"/usr/local/bin/wezterm", "/b/wezterm"}, "/b/wezterm"},
      {"fixed places in order", std::nullopt, "/home/ada",
       {bundled, "/home/ada/.local/bin/wezterm", "/usr/local/bin/wezterm", "/opt/homebrew/bin/wezterm"},
       "/opt/homebrew/bin/wezterm"},
      {"then /usr/local", "", "/home/ada", {bundled, "/home/ada/.local/bin/wezterm", "/usr/local/bin/wezterm"},
       "/usr/local/bin/wezterm"},
      {"then the home folder", "", "/home/ada", {bundled, "/home/ada/.local/bin/wezterm"},
       "/home/ada/.local/bin/wezterm"},
      {"then the application's own", "/a", "/home/ada", {bundled}, bundled},
      {"no home folder, no ~/.local", "", "", {"/.local/bin/wezterm"}, std::nullopt},
      {"nowhere", "/a:/b", std::nullopt, {}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> asked;
    const auto found = WezTermAdapter::findExecutable(c.path, c.home, url, [&](const std::string& candidate) {
      asked.push_back(candidate);
      return c.executables.contains(candidate);
    });
    EXPECT_EQ(found, c.found);
    if (!c.found) {
      EXPECT_EQ(asked.back(), bundled) << "gave up before the last place";
    }
  }
}

TEST(WezTermPane, ChoosesTheActivePaneOfTheFocusedWindow) {
  struct Case {
    const char* name;
    std::string listing;
    std::optional<std::int64_t> pane;
  };
  const Case cases[] = {
      {"focused and active beats an earlier active",
       R"([{"pane_id":1,"is_active":true,"window_is_focused":false},
           {"pane_id":2,"is_active":false,"window_is_focused":true},
           {"pane_id":3,"is_active":true,"window_is_focused":true}])",
       3},
      {"only active", R"([{"pane_id":4,"is_active":false,"window_is_focused":true},{"pane_id":5,"is_active":true}])",
       5},
      {"a full listing",
       R"([{"window_id":0,"tab_id":0,"pane_id":12,"workspace":"default","size":{"rows":24,"cols":80},
            "title":"zsh","cwd":"file:///home/ada","is_active":true,"is_zoomed":false,
            "window_is_focused":true,"tty_name":"/dev/pts/3"}])" "\n",
       12},
      {"64-bit id", R"([{"pane_id":9007199254740993,"is_active":true}])", 9007199254740993},
      {"whole number written with a point", R"([{"pane_id":7.0,"is_active":true}])", 7},
      {"nothing active", R"([{"pane_id":1,"is_active":false,"window_is_focused":true}])", std::nullopt},
      {"flags that are not booleans", R"([{"pane_id":1,"is_active":"true"},{"pane_id":2,"is_active":1}])",
       std::nullopt},
      {"not JSON", "Error: failed to connect to the mux server", std::nullopt},
      {"JSON followed by more", R"([{"pane_id":1,"is_active":true}] [])", std::nullopt},
      {"empty array", "[]", std::nullopt},
      {"empty text", "", std::nullopt},
      {"an object, not an array", R"({"pane_id":1,"is_active":true})", std::nullopt},
      {"an array not only of objects", R"([1,{"pane_id":1,"is_active":true}])", std::nullopt},
      // The choice is made first: a chosen pane without a usable id is no pane,
      // not a reason to take the next one.
      {"pane_id missing", R"([{"is_active":true,"window_is_focused":true},{"pane_id":4,"is_active":true}])",
       std::nullopt},
      {"pane_id a string", R"([{"pane_id":"3","is_active":true}])", std::nullopt},
      {"pane_id a fraction", R"([{"pane_id":3.5,"is_active":true}])", std::nullopt},
      {"pane_id beyond 64 signed bits", R"([{"pane_id":18446744073709551615,"is_active":true}])", std::nullopt},
      {"deeply nested", std::string(1000000, '[') + std::string(1000000, ']'), std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WezTermAdapter::paneInFront(c.listing), c.pane);
  }
}

}  // namespace
}  // namespace tavelin::app
