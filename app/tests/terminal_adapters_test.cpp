// The dispatcher and the six adapters against a scripted desktop: what each
// terminal is handed, the fallback, and what a failure reports.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "controllers/ScriptRunner.hpp"
#include "controllers/terminal/AppleTerminalAdapter.hpp"
#include "controllers/terminal/ITermAdapter.hpp"
#include "controllers/terminal/TerminalAdapters.hpp"
#include "controllers/terminal/TerminalLaunch.hpp"
#include "fakes/FakeAppleScriptEngine.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/FakeProcesses.hpp"
#include "fakes/LogRecorder.hpp"
#include "fakes/ManualClock.hpp"
#include "fakes/Outcomes.hpp"

namespace tavelin::app {

namespace {

using testing::FakeProcesses;
using Call = FakeProcesses::Call;

const std::string appleTerminal = "com.apple.Terminal";
const std::string iTerm = "com.googlecode.iterm2";
const std::string wezTerm = "com.github.wez.wezterm";
const std::string alacritty = "org.alacritty";
const std::string kitty = "net.kovidgoyal.kitty";
const std::string ghostty = "com.mitchellh.ghostty";
const std::string other = "org.example.Term";

const std::string wezTermURL = "/Applications/WezTerm.app";
const std::string alacrittyURL = "/Applications/Alacritty.app";
const std::string alacrittyProgram = "/Applications/Alacritty.app/Contents/MacOS/alacritty";
const std::string wezterm = "/usr/bin/wezterm";

const std::string command = R"(make "test" && echo \done)";

// What the login shell adds after every adapter's own arguments, for the
// fixture's SHELL of /usr/bin/fish.
std::vector<std::string> thenLoginShell(std::vector<std::string> before) {
  before.insert(before.end(), {"/usr/bin/fish", "-lc", command + "\nexec /usr/bin/fish -l"});
  return before;
}

struct Launch {
  std::string url;
  std::vector<std::string> arguments;
  bool newInstance = false;
  bool operator==(const Launch&) const = default;
};

[[maybe_unused]] void PrintTo(const Launch& launch, std::ostream* out) {
  *out << launch.url << (launch.newInstance ? " (new instance)" : "") << " with";
  for (const auto& argument : launch.arguments) *out << " [" << argument << "]";
}

struct Case {
  const char* name;
  std::string bundleId;
  bool running = false;
  std::vector<std::pair<std::string, FakeProcesses::Result>> answers;
  std::vector<Call> calls;        // the command-line programs run, in order
  std::vector<Launch> launches;   // the applications opened, in order
  RunOutcome outcome = RunOutcome::ran("");
};

class TerminalAdaptersTest : public ::testing::Test {
 protected:
  TerminalAdaptersTest() {
    for (const auto& [id, url] : std::map<std::string, std::string>{{appleTerminal, "/Applications/Terminal.app"},
                                                                    {iTerm, "/Applications/iTerm.app"},
                                                                    {wezTerm, wezTermURL},
                                                                    {alacritty, alacrittyURL},
                                                                    {kitty, "/Applications/kitty.app"},
                                                                    {ghostty, "/Applications/Ghostty.app"},
                                                                    {other, "/opt/Example Term.app"}}) {
      desktop.install(id, url);
    }
  }

  struct Finished {
    RunOutcome outcome;
    bool immediate;  // completed before run returned
  };

  // Checks on every run that the completion comes exactly once.
  Finished run(const std::string& bundleId) {
    std::vector<RunOutcome> outcomes;
    adapters.run(command, bundleId, [&outcomes](RunOutcome outcome) { outcomes.push_back(std::move(outcome)); });
    const bool immediate = !outcomes.empty();
    clock.drain();
    EXPECT_EQ(outcomes.size(), 1u);
    return {outcomes.empty() ? RunOutcome::failed("<no completion>") : outcomes.front(), immediate};
  }

  std::vector<Launch> launches() const {
    std::vector<Launch> seen;
    for (const auto& opened : desktop.opened) {
      EXPECT_FALSE(opened.configuration.addsToRecentItems) << opened.url;
      seen.push_back({opened.url, opened.configuration.arguments, opened.configuration.createsNewInstance});
    }
    return seen;
  }

  void check(const Case& c) {
    SCOPED_TRACE(c.name);
    desktop.opened.clear();
    auto running = c.running ? desktop.addApp("terminal", c.bundleId) : nullptr;
    for (const auto& [executable, result] : c.answers) processes.answer(executable, result);
    const auto before = processes.calls().size();

    const auto finished = run(c.bundleId);
    EXPECT_EQ(finished.outcome, c.outcome);
    EXPECT_FALSE(finished.immediate) << "completed inside the call, not from the main queue";
    const auto calls = processes.calls();
    EXPECT_EQ(std::vector<Call>(calls.begin() + static_cast<long>(before), calls.end()), c.calls);
    EXPECT_EQ(launches(), c.launches);
    if (running) running->terminated = true;
  }

  std::map<std::string, std::string> environment{
      {"SHELL", "/usr/bin/fish"}, {"PATH", "/nix/bin::/usr/bin"}, {"HOME", "/home/ada"}};
  std::set<std::string> executables{wezterm};

  testing::ManualClock clock;
  testing::FakeDesktop desktop;
  FakeProcesses processes;
  testing::FakeAppleScriptEngine engine;
  testing::LogRecorder log;
  ScriptRunner scripts{clock, processes, engine};
  TerminalLaunch launch{clock, desktop, processes,
                        TerminalLaunch::System{
                            .environment = [this](const std::string& name) -> std::optional<std::string> {
                              const auto found = environment.find(name);
                              if (found == environment.end()) return std::nullopt;
                              return found->second;
                            },
                            .isExecutableFile = [this](const std::string& path) { return executables.contains(path); },
                            .displayName = displayNameAtPath,
                        }};
  TerminalAdapters adapters{launch, scripts};
};

const std::string focusedPane7 = R"([{"pane_id":3,"is_active":true},{"pane_id":7,"is_active":true,"window_is_focused":true}])";

TEST_F(TerminalAdaptersTest, HandsEachTerminalItsArgumentList) {
  const std::vector<std::string> list{"cli", "list", "--format", "json"};
  const Case cases[] = {
      {"WezTerm, running, pane found", wezTerm, true,
       {{wezterm, FakeProcesses::exited(0, focusedPane7)}, {wezterm, FakeProcesses::exited(0, "42\n")}},
       {{wezterm, list}, {wezterm, thenLoginShell({"cli", "spawn", "--pane-id", "7", "--"})}},
       {{wezTermURL, {}, false}}},
      {"WezTerm, running, no pane", wezTerm, true,
       {{wezterm, FakeProcesses::exited(0, "[]")}, {wezterm, FakeProcesses::exited(0)}},
       {{wezterm, list}, {wezterm, thenLoginShell({"cli", "spawn", "--"})}},
       {{wezTermURL, {}, false}}},
      {"WezTerm, running, listing failed", wezTerm, true,
       {{wezterm, FakeProcesses::exited(1, focusedPane7, "no mux")}, {wezterm, FakeProcesses::exited(0)}},
       {{wezterm, list}, {wezterm, thenLoginShell({"cli", "spawn", "--"})}},
       {{wezTermURL, {}, false}}},
      {"WezTerm, not running", wezTerm, false, {}, {}, {{wezTermURL, thenLoginShell({"start", "--"}), true}}},
      {"Alacritty, running", alacritty, true, {{alacrittyProgram, FakeProcesses::exited(0)}},
       {{alacrittyProgram, thenLoginShell({"msg", "create-window", "-e"})}},
       {{alacrittyURL, {}, false}}},
      {"Alacritty, not running", alacritty, false, {}, {}, {{alacrittyURL, thenLoginShell({"-e"}), true}}},
      {"kitty", kitty, false, {}, {},
       {{"/Applications/kitty.app", thenLoginShell({"--single-instance", "--instance-group=tavelin"}), true}}},
      {"kitty, running", kitty, true, {}, {},
       {{"/Applications/kitty.app", thenLoginShell({"--single-instance", "--instance-group=tavelin"}), true}}},
      {"Ghostty, a recognised terminal driven with -e", ghostty, false, {}, {},
       {{"/Applications/Ghostty.app", thenLoginShell({"-e"}), true}}},
      {"any other terminal", other, false, {}, {}, {{"/opt/Example Term.app", thenLoginShell({"-e"}), true}}},
  };
  for (const auto& c : cases) check(c);
}

TEST_F(TerminalAdaptersTest, WhenACommandLineProgramFails) {
  const std::vector<std::string> list{"cli", "list", "--format", "json"};
  const auto spawnIn7 = thenLoginShell({"cli", "spawn", "--pane-id", "7", "--"});
  const auto message = thenLoginShell({"msg", "create-window", "-e"});
  const Case cases[] = {
      // A refused spawn is the action's failure: no second WezTerm is started.
      {"WezTerm spawn refused with a reason", wezTerm, true,
       {{wezterm, FakeProcesses::exited(0, focusedPane7)},
        {wezterm, FakeProcesses::exited(1, "", "  error: pane 7 is gone\n")}},
       {{wezterm, list}, {wezterm, spawnIn7}}, {}, RunOutcome::failed("error: pane 7 is gone")},
      {"WezTerm spawn refused silently", wezTerm, true,
       {{wezterm, FakeProcesses::exited(0, focusedPane7)}, {wezterm, FakeProcesses::exited(2)}},
       {{wezterm, list}, {wezterm, spawnIn7}}, {}, RunOutcome::failed("wezterm exited 2.")},
      // A refused message is not reported: a new instance runs the command.
      {"Alacritty message refused", alacritty, true,
       {{alacrittyProgram, FakeProcesses::exited(1, "", "no socket")}}, {{alacrittyProgram, message}},
       {{alacrittyURL, thenLoginShell({"-e"}), true}}},
      {"Alacritty program missing", alacritty, true, {}, {{alacrittyProgram, message}},
       {{alacrittyURL, thenLoginShell({"-e"}), true}}},
  };
  for (const auto& c : cases) check(c);
}

// Checked first, and reported at once, whether or not WezTerm runs.
TEST_F(TerminalAdaptersTest, WithoutTheWeztermProgramNothingIsStarted) {
  executables.clear();
  for (const bool running : {false, true}) {
    SCOPED_TRACE(running ? "running" : "not running");
    auto app = running ? desktop.addApp("WezTerm", wezTerm) : nullptr;
    const auto finished = run(wezTerm);
    EXPECT_EQ(finished.outcome, RunOutcome::failed("The wezterm executable is not on this Mac."));
    EXPECT_TRUE(finished.immediate);
  }
  EXPECT_TRUE(processes.calls().empty());
  EXPECT_TRUE(desktop.opened.empty());
}

TEST_F(TerminalAdaptersTest, AppleScriptTerminalsGetTheirScriptAndItsOutcomeUnchanged) {
  struct ScriptCase {
    std::string bundleId;
    std::string script;
    AppleScriptResult answer;
  };
  const ScriptCase cases[] = {
      {appleTerminal, AppleTerminalAdapter::script(command), {AppleScriptResult::Ran{"tab 1 of window id 4"}}},
      {iTerm, ITermAdapter::script(command),
       {AppleScriptResult::Error{"iTerm", "Not authorized to send Apple events to iTerm.", -1743}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bundleId);
    engine.answerNext(c.answer);
    const auto finished = run(c.bundleId);
    EXPECT_EQ(engine.sources().back(), c.script);
    EXPECT_EQ(finished.outcome, appleScriptOutcome(c.answer));
    EXPECT_FALSE(finished.immediate);
  }
  EXPECT_TRUE(desktop.opened.empty());
  EXPECT_TRUE(processes.calls().empty());
}

TEST_F(TerminalAdaptersTest, AMissingDefaultFallsBackToAppleTerminal) {
  struct FallbackCase {
    const char* name;
    std::string preferred;
    bool fallbackInstalled;
    std::vector<std::string> warnings;
    RunOutcome outcome;
  };
  const FallbackCase cases[] = {
      {"recognised default missing", kitty, true,
       {"kitty is the default terminal but not on this Mac \u2014 using Apple Terminal."}, RunOutcome::ran("")},
      {"other default missing, named by its id", "org.example.Gone", true,
       {"org.example.Gone is the default terminal but not on this Mac \u2014 using Apple Terminal."},
       RunOutcome::ran("")},
      {"fallback missing too", kitty, false,
       {"kitty is the default terminal but not on this Mac \u2014 using Apple Terminal."},
       RunOutcome::failed("Apple Terminal is not on this Mac.")},
      // Naming Apple Terminal as missing and as the way out says nothing the
      // failure does not.
      {"the default is the missing fallback", "COM.APPLE.TERMINAL", false, {},
       RunOutcome::failed("Apple Terminal is not on this Mac.")},
  };
  desktop.installed.erase(kitty);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    if (c.fallbackInstalled) {
      desktop.install(appleTerminal, "/Applications/Terminal.app");
    } else {
      desktop.installed.erase(appleTerminal);
    }
    const auto scriptsBefore = engine.sources().size();

    const auto finished = run(c.preferred);
    EXPECT_EQ(finished.outcome, c.outcome);
    std::vector<std::string> warnings;
    for (const auto& line : log.lines()) {
      if (line.level == LogLevel::Default) warnings.push_back(line.message);
    }
    EXPECT_EQ(warnings, c.warnings);
    const auto sources = engine.sources();
    if (c.fallbackInstalled) {
      ASSERT_EQ(sources.size(), scriptsBefore + 1);
      EXPECT_EQ(sources.back(), AppleTerminalAdapter::script(command));
    } else {
      EXPECT_EQ(sources.size(), scriptsBefore);
      EXPECT_TRUE(finished.immediate);
    }
  }
  EXPECT_TRUE(desktop.opened.empty());
}

}  // namespace
}  // namespace tavelin::app
