#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controllers/LoginItem.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/FakeLoginService.hpp"
#include "fakes/LogRecorder.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;
using Line = testing::LogRecorder::Line;
using enum LoginServiceStatus;

class LoginItemTest : public ::testing::Test {
 protected:
  std::shared_ptr<LoginItem> start() {
    auto item = LoginItem::start(service, desktop);
    subscription = item->enabled().subscribe([this](const bool& value) { published.push_back(value); });
    published.clear();  // the subscription's own first delivery
    return item;
  }

  testing::FakeLoginService service;
  testing::FakeDesktop desktop;
  testing::LogRecorder log;
  Subscription subscription;
  std::vector<bool> published;
};

TEST_F(LoginItemTest, OnlyTheEnabledStatusReadsAsOn) {
  for (auto [status, on] : {std::pair{notRegistered, false}, {enabled, true}, {requiresApproval, false},
                            {notFound, false}}) {
    service.current = status;
    EXPECT_EQ(start()->enabled().value(), on) << static_cast<int>(status);
  }
}

TEST_F(LoginItemTest, FollowsTheSystemWhenWeBecomeActiveOrReload) {
  service.current = enabled;
  auto item = start();
  service.current = notRegistered;  // removed in System Settings
  desktop.activateApp(desktop.self);
  EXPECT_THAT(published, ElementsAre(false));
  service.current = enabled;
  item->reload();
  EXPECT_THAT(published, ElementsAre(false, true));

  item.reset();
  desktop.activateApp(desktop.self);  // must not reach the item that is gone
  EXPECT_THAT(published, ElementsAre(false, true));
}

TEST_F(LoginItemTest, SetLogsOnceAndPublishesWhatTheSystemThenSays) {
  const std::string reason = "The operation couldn\u2019t be completed. Operation not permitted.";
  struct Case {
    const char* name;
    LoginServiceStatus before;
    bool on;
    std::optional<std::string> refusal;
    LoginServiceStatus afterRegistering;
    Line line;
    bool enabledAfter;
  };
  const Case cases[] = {
      {"turned on", notRegistered, true, std::nullopt, enabled, {LogLevel::Info, "open at login · on"}, true},
      {"turned off", enabled, false, std::nullopt, enabled, {LogLevel::Info, "open at login · off"}, false},
      {"on, awaiting approval", notRegistered, true, std::nullopt, requiresApproval,
       {LogLevel::Info, "open at login · on"}, false},
      {"on refused", notRegistered, true, reason, enabled,
       {LogLevel::Default, "failed · open at login could not be turned on: " + reason}, false},
      {"off refused", enabled, false, reason, enabled,
       {LogLevel::Default, "failed · open at login could not be turned off: " + reason}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    service.current = c.before;
    service.refusal = c.refusal;
    service.afterRegistering = c.afterRegistering;
    service.calls.clear();
    auto item = start();
    log.clear();

    EXPECT_EQ(item->set(c.on), c.refusal);
    EXPECT_THAT(service.calls, ElementsAre(c.on ? "register" : "unregister"));
    EXPECT_THAT(log.lines(), ElementsAre(c.line));
    // Published even when unchanged, so a switch flipped by the user snaps back.
    EXPECT_THAT(published, ElementsAre(c.enabledAfter));
  }
}

}  // namespace
}  // namespace tavelin::app
