#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controllers/AppLauncher.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/ManualClock.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;

class AppLauncherTest : public ::testing::Test {
 protected:
  AppLauncherTest() { launcher.observeActivations(); }

  // Opens and returns what the completion said, checking it came once and
  // only through the main queue.
  std::optional<std::string> open(const std::string& identifier) {
    int calls = 0;
    std::optional<std::string> answer;
    launcher.open(identifier, [&](std::optional<std::string> failure) {
      ++calls;
      answer = std::move(failure);
    });
    EXPECT_EQ(calls, 0);
    clock.drain();
    EXPECT_EQ(calls, 1);
    return answer;
  }

  testing::FakeDesktop desktop;
  testing::ManualClock clock;
  AppLauncher launcher{desktop, clock, [] { return std::string("/home/ada"); }};
  std::shared_ptr<testing::FakeApp> a = desktop.addApp("A", "org.example.a");
  std::shared_ptr<testing::FakeApp> b = desktop.addApp("B", "org.example.b");
  std::shared_ptr<testing::FakeApp> c = desktop.addApp(std::nullopt, "org.example.c");
};

TEST_F(AppLauncherTest, RecentHoldsTheTwoLatestOtherApplications) {
  desktop.activateApp(a);
  desktop.activateApp(b);
  desktop.activateApp(c);
  EXPECT_THAT(launcher.recent(), ElementsAre(c, b));
  desktop.activateApp(b);
  EXPECT_THAT(launcher.recent(), ElementsAre(b, c));
  desktop.activateApp(desktop.self);
  EXPECT_THAT(launcher.recent(), ElementsAre(b, c));
  launcher.appActivated(nullptr);
  EXPECT_THAT(launcher.recent(), ElementsAre(b, c));

  c->terminated = true;  // a terminated entry goes at the next activation
  desktop.activateApp(a);
  EXPECT_THAT(launcher.recent(), ElementsAre(a, b));
}

TEST_F(AppLauncherTest, ToggleSwitchesToTheOtherRecentApplication) {
  EXPECT_EQ(launcher.toggle(), "There is no other application to switch to yet.");

  desktop.activateApp(b);
  desktop.activateApp(c);
  EXPECT_EQ(launcher.toggle(), std::nullopt);  // c is in front, so b
  EXPECT_EQ(b->activations, 1);
  EXPECT_EQ(c->activations, 0);

  b->acceptsActivation = false;
  EXPECT_EQ(launcher.toggle(), "Could not bring B forward.");
  b->terminated = true;
  EXPECT_EQ(launcher.toggle(), "There is no other application to switch to yet.");

  desktop.frontmost = nullptr;  // with nothing in front every live entry counts
  c->acceptsActivation = false;
  EXPECT_EQ(launcher.toggle(), "Could not bring that application forward.");
}

TEST_F(AppLauncherTest, OpensByPathOrBundleIdAndSaysWhyNot) {
  desktop.applicationBundles = {"/home/ada/Apps/Editor.APP", "/opt/x.desktop"};
  desktop.install("org.example.a", "/usr/share/applications/org.example.a.desktop");
  desktop.openHandler = [](const std::string& url, const OpenConfiguration&, auto completion) {
    completion(OpenResult{nullptr, url.ends_with("x.desktop") ? std::optional<std::string>("it crashed") : std::nullopt});
  };

  struct Case {
    std::string identifier;
    std::optional<std::string> failure;
    std::optional<std::string> openedUrl;
  };
  const Case cases[] = {
      {"~/Apps/Editor.APP", std::nullopt, "/home/ada/Apps/Editor.APP"},
      {"~/Apps/Missing.app", "/home/ada/Apps/Missing.app is not an application.", std::nullopt},
      {"/etc/passwd", "/etc/passwd is not an application.", std::nullopt},
      {"org.example.a", std::nullopt, "/usr/share/applications/org.example.a.desktop"},
      {"org.example.none", "No application on this Mac has the bundle id org.example.none.", std::nullopt},
      {"/opt/x.desktop", "Could not open /opt/x.desktop: it crashed", "/opt/x.desktop"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.identifier);
    desktop.opened.clear();
    EXPECT_EQ(open(row.identifier), row.failure);
    if (row.openedUrl) {
      ASSERT_EQ(desktop.opened.size(), 1u);
      EXPECT_EQ(desktop.opened[0].url, *row.openedUrl);
      EXPECT_TRUE(desktop.opened[0].configuration.arguments.empty());
      EXPECT_FALSE(desktop.opened[0].configuration.createsNewInstance);
    } else {
      EXPECT_TRUE(desktop.opened.empty());
    }
  }
}

}  // namespace
}  // namespace tavelin::app

namespace tavelin::app {
namespace {

// The typing window hands the focus back just before the action runs; the
// desktop may still report the typing window in front. The application the
// binding fired from is what counts.
TEST_F(AppLauncherTest, ToggleGoesByTheApplicationTheBindingFiredFrom) {
  desktop.activateApp(a);
  desktop.activateApp(b);
  desktop.frontmost = desktop.self;
  EXPECT_EQ(launcher.toggle(b), std::nullopt);
  EXPECT_EQ(a->activations, 1);
  EXPECT_EQ(b->activations, 0);
}

}  // namespace
}  // namespace tavelin::app
