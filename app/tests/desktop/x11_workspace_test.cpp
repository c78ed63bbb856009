#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "desktop/X11DesktopTest.hpp"
#include "platform/linux/x11/X11Workspace.hpp"

namespace tavelin::app::testing {
namespace {

class X11WorkspaceTest : public X11DesktopTest {
 protected:
  void SetUp() override {
    X11DesktopTest::SetUp();
    if (HasFatalFailure()) return;
    workspace = std::make_unique<X11Workspace>(client->connection());
  }

  // Hands the workspace every event that has reached the connection.
  void pump() {
    client->sync();
    while (xcb_generic_event_t* event = xcb_poll_for_event(client->connection())) {
      workspace->handleEvent(event);
      std::free(event);
    }
  }

  bool frontmostIs(const Xterm& xterm) {
    const RunningApplicationRef front = workspace->frontmostApplication();
    return front && front->processIdentifier() == xterm.pid;
  }

  std::unique_ptr<X11Workspace> workspace;
};

TEST_F(X11WorkspaceTest, OneHandlePerProcessNamedFromItsDesktopEntry) {
  struct Case {
    std::string className;
    std::optional<std::string> bundleId;
    std::optional<std::string> name;
  };
  const std::vector<Case> cases = {
      {"TavelinAlpha", "tavelin-test-alpha", "Alpha Test"},  // by StartupWMClass
      {"org.example.beta", "org.example.Beta", "Beta"},      // by its class as the entry id, any case
      {"Unlisted", std::nullopt, "Unlisted"},                // no entry: named by its class
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.className);
    const Xterm xterm = this->xterm(c.className);
    activate(xterm.window);
    const RunningApplicationRef front = workspace->frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->processIdentifier(), xterm.pid);
    EXPECT_EQ(front->bundleIdentifier(), c.bundleId);
    EXPECT_EQ(front->localizedName(), c.name);
    EXPECT_FALSE(front->isTerminated());
    EXPECT_EQ(workspace->frontmostApplication(), front) << "a process has one handle";
    if (c.bundleId) {
      std::string shouted = *c.bundleId;
      for (char& ch : shouted) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      const std::vector<RunningApplicationRef> running = workspace->runningApplications(shouted);
      ASSERT_EQ(running.size(), 1u);
      EXPECT_EQ(running.front(), front);
    }
  }
  const RunningApplicationRef self = workspace->currentApplication();
  EXPECT_EQ(self->processIdentifier(), ::getpid());
  EXPECT_EQ(workspace->currentApplication(), self);
  EXPECT_FALSE(self->isTerminated());
}

TEST_F(X11WorkspaceTest, ActivationsArriveThroughHandleEventOncePerApplication) {
  const Xterm alpha = xterm("TavelinAlpha");
  const xcb_window_t ours = ownWindow(WindowSpec({700, 100, 300, 200}));
  const xcb_window_t oursToo = ownWindow(WindowSpec({700, 400, 300, 200}));
  activate(alpha.window);
  pump();
  std::vector<RunningApplicationRef> activated;
  workspace->onDidActivateApplication([&](RunningApplicationRef application) { activated.push_back(application); });

  // Each change is handled before the next: the workspace reads which window
  // is active when it handles the change. Our second window coming forward
  // is no new activation, the application being the same.
  const auto activateAndCount = [&](xcb_window_t window, std::size_t expected) {
    activate(window);
    XvfbSession::waitUntil([&] {
      pump();
      return activated.size() >= expected;
    });
    pump();
    return activated.size();
  };
  EXPECT_EQ(activateAndCount(ours, 1), 1u);
  EXPECT_EQ(activateAndCount(oursToo, 1), 1u);
  EXPECT_EQ(activateAndCount(alpha.window, 2), 2u);
  ASSERT_EQ(activated.size(), 2u);
  EXPECT_EQ(activated[0], workspace->currentApplication()) << "the notification carries the shared handle";
  EXPECT_EQ(activated[1]->processIdentifier(), alpha.pid);
  EXPECT_EQ(activated[1], workspace->frontmostApplication());
}

TEST_F(X11WorkspaceTest, ActivateBringsTheApplicationForwardUntilItIsGone) {
  const Xterm alpha = xterm("TavelinAlpha");
  const Xterm beta = xterm("org.example.beta", "60x20+600+300");
  activate(beta.window);
  const std::vector<RunningApplicationRef> running = workspace->runningApplications("tavelin-test-alpha");
  ASSERT_EQ(running.size(), 1u);
  const RunningApplicationRef application = running.front();

  EXPECT_TRUE(application->activate());
  EXPECT_TRUE(XvfbSession::waitUntil([&] { return activeWindow() == alpha.window; }));
  EXPECT_TRUE(frontmostIs(alpha));

  ::kill(alpha.pid, SIGTERM);
  EXPECT_TRUE(XvfbSession::waitUntil([&] { return application->isTerminated(); }));
  EXPECT_FALSE(application->activate());
  EXPECT_TRUE(workspace->runningApplications("tavelin-test-alpha").empty());
}

TEST_F(X11WorkspaceTest, ActivateSelfUsesTheHookElseOurTopmostWindow) {
  const Xterm alpha = xterm("TavelinAlpha");
  const xcb_window_t ours = ownWindow(WindowSpec({700, 100, 300, 200}));
  activate(alpha.window);
  workspace->activateSelf();
  EXPECT_TRUE(XvfbSession::waitUntil([&] { return activeWindow() == ours; }));

  activate(alpha.window);
  int hooked = 0;
  workspace->setActivateSelf([&] { ++hooked; });
  workspace->activateSelf();
  EXPECT_EQ(hooked, 1);
  EXPECT_EQ(activeWindow(), alpha.window);
}

TEST_F(X11WorkspaceTest, OpeningActivatesTheRunningCopyOrLaunchesANewOne) {
  const Xterm alpha = xterm("TavelinAlpha");
  const Xterm beta = xterm("org.example.beta", "60x20+600+300");
  activate(beta.window);

  std::optional<OpenResult> result;
  const auto record = [&](OpenResult r) { result = std::move(r); };
  workspace->openApplication(apps->alpha, {}, record);
  ASSERT_TRUE(result);
  EXPECT_FALSE(result->error);
  ASSERT_TRUE(result->application);
  EXPECT_EQ(result->application, workspace->runningApplications("tavelin-test-alpha").front());
  EXPECT_TRUE(XvfbSession::waitUntil([&] { return activeWindow() == alpha.window; }));

  // Asked for a new instance, and for an application not running at all,
  // it launches, with the arguments.
  for (const bool newInstance : {true, false}) {
    SCOPED_TRACE(newInstance ? "new instance" : "not running");
    result.reset();
    workspace->openApplication(apps->recorder, {.arguments = {"--opened"}, .createsNewInstance = newInstance}, record);
    ASSERT_TRUE(result && result->application) << (result && result->error ? *result->error : "");
    const int pid = result->application->processIdentifier();
    EXPECT_EQ(result->application->bundleIdentifier(), "tavelin-test-recorder");
    EXPECT_FALSE(result->application->isTerminated());
    ASSERT_TRUE(XvfbSession::waitUntil([&] { return apps->recorded(pid, "args").has_value(); }));
    EXPECT_EQ(apps->recorded(pid, "args"), "--fixed\ntwo words\n100%\n-x\n--opened\n");
    apps->release(pid);
    // Gone before it mapped a window: the next open launches afresh.
    EXPECT_TRUE(XvfbSession::waitUntil([&] { return result->application->isTerminated(); }));
  }

  const std::filesystem::path bundle = apps->root / "Other.app";
  std::filesystem::create_directories(bundle);
  const std::vector<std::pair<std::string, std::string>> refusals = {
      {apps->broken, "broken-program"},
      {apps->uninstalled, " is not an application entry that can be started."},
      {apps->root.string(), " is not an application entry that can be started."},
      {bundle.string(), "Other is an application bundle of another system; it cannot run here."},
  };
  for (const auto& [url, says] : refusals) {
    result.reset();
    workspace->openApplication(url, {}, record);
    ASSERT_TRUE(result && result->error) << url;
    EXPECT_NE(result->error->find(says), std::string::npos) << *result->error;
    EXPECT_FALSE(result->application);
  }
}

}  // namespace
}  // namespace tavelin::app::testing
