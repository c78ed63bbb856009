#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controllers/HotkeyController.hpp"
#include "fakes/FakeDesktop.hpp"
#include "fakes/FakeHotkeyService.hpp"
#include "fakes/LogRecorder.hpp"

namespace tavelin::app {
namespace {

using ::testing::ElementsAre;
using Line = testing::LogRecorder::Line;

GlobalKey key(std::string description, std::uint32_t keyCode, std::uint32_t modifiers) {
  return {description, keyCode, modifiers, description, {KeyAction::Window{WindowAction::MoveLeft}}};
}

class HotkeyControllerTest : public ::testing::Test {
 protected:
  HotkeyControllerTest() {
    controller.start([this] { ++activations; });
    settings.activation_hotkey = default_hotkey();
  }

  testing::FakeHotkeyService service;
  testing::FakeDesktop desktop;
  testing::LogRecorder log;
  std::vector<std::pair<KeyAction, RunningApplicationRef>> ran;
  HotkeyController controller{service, desktop, [this](const KeyAction& action, RunningApplicationRef target,
                                                               ActionRunner::Completion) {
                                ran.emplace_back(action, std::move(target));
                              }};
  int activations = 0;
  Settings settings;
};

TEST_F(HotkeyControllerTest, WithoutGlobalKeysOnlyTheActivationChordIsRegistered) {
  controller.apply(settings);
  EXPECT_THAT(service.liveIds(), ElementsAre(1u));
  EXPECT_EQ(service.live[0]->signature, 0x54564C4Eu);  // "TVLN"
  EXPECT_TRUE(controller.conflicts().value().empty());
  EXPECT_THAT(log.lines(), ElementsAre(Line{LogLevel::Info, "hotkeys 1/1 registered"}));
  EXPECT_EQ(service.press({49, 2048}), kHotkeyNoErr);
  EXPECT_EQ(activations, 1);
}

TEST_F(HotkeyControllerTest, AChordHeldElsewhereBecomesAConflictAndTheRestRegister) {
  settings.global_keys = {key("One", 0, cmd_key), key("Two", 17, control_key | option_key), key("Three", 2, cmd_key)};
  service.takenElsewhere = {{17, control_key | option_key}};
  controller.apply(settings);
  controller.apply(settings);  // applying again rebuilds, never duplicates

  EXPECT_THAT(service.liveIds(), ElementsAre(1u, 100u, 102u));
  const std::string sentence = "⌃⌥T (Two) could not be registered — another app already has it. (OSStatus -9878)";
  EXPECT_THAT(controller.conflicts().value(), ElementsAre(sentence));
  EXPECT_EQ(log.lines().back(), (Line{LogLevel::Default, "blocked · " + sentence}));
  EXPECT_EQ(log.lines()[log.lines().size() - 2], (Line{LogLevel::Info, "hotkeys 3/4 registered"}));

  service.takenElsewhere = {{49, 2048}};
  controller.apply(settings);
  EXPECT_THAT(controller.conflicts().value(),
              ElementsAre("⌥Space could not be registered — another app already has it. (OSStatus -9878)"));
}

TEST_F(HotkeyControllerTest, AGlobalKeyRunsItsActionOnTheApplicationInFront) {
  settings.global_keys = {key("Left", 4, control_key | option_key)};
  controller.apply(settings);
  auto front = desktop.addApp("Editor");
  desktop.frontmost = front;
  log.clear();

  EXPECT_EQ(service.press({4, control_key | option_key}), kHotkeyNoErr);
  ASSERT_EQ(ran.size(), 1u);
  EXPECT_EQ(ran[0].first, (KeyAction{KeyAction::Window{WindowAction::MoveLeft}}));
  EXPECT_EQ(ran[0].second, front);
  EXPECT_THAT(log.lines(), ElementsAre(Line{LogLevel::Info, "global ⌃⌥H · Left"}));
}

TEST_F(HotkeyControllerTest, SuspendingTheActivationChordLeavesTheGlobalKeys) {
  settings.global_keys = {key("One", 0, cmd_key)};
  controller.apply(settings);
  controller.suspendActivation();
  EXPECT_THAT(service.liveIds(), ElementsAre(100u));
  EXPECT_FALSE(controller.fire(1));
  EXPECT_EQ(activations, 0);
  EXPECT_TRUE(controller.fire(100));
  controller.suspendActivation();  // nothing left to suspend
  controller.apply(settings);
  EXPECT_THAT(service.liveIds(), ElementsAre(1u, 100u));
}

TEST_F(HotkeyControllerTest, TheHandlerAnswersWithTheSystemsStatusCodes) {
  controller.apply(settings);
  EXPECT_EQ(controller.handle({kHotkeyNoErr, HotkeyController::kSignature, 1}), kHotkeyNoErr);
  EXPECT_EQ(controller.handle({kHotkeyNoErr, HotkeyController::kSignature, 100}), kEventNotHandledErr);
  EXPECT_EQ(controller.handle({-50, 0, 1}), -50);  // the press could not be read
  controller.unregisterAll();
  EXPECT_TRUE(service.live.empty());
  EXPECT_EQ(controller.handle({kHotkeyNoErr, HotkeyController::kSignature, 1}), kEventNotHandledErr);
  EXPECT_EQ(activations, 1);
}

TEST(HotkeyControllerStart, AHandlerThatCannotBeInstalledIsLoggedOnce) {
  testing::FakeHotkeyService service;
  testing::FakeDesktop desktop;
  testing::LogRecorder log;
  service.installStatus = -108;
  HotkeyController controller(service, desktop, [](const KeyAction&, RunningApplicationRef, ActionRunner::Completion) {});
  controller.start([] {});
  EXPECT_THAT(log.lines(),
              ElementsAre(Line{LogLevel::Error, "blocked · could not install the hotkey handler (OSStatus -108)"}));

  service.installStatus = kHotkeyNoErr;
  controller.start([] {});
  controller.start([] {});  // installed once, whatever the number of starts
  EXPECT_EQ(service.installs, 2);
}

}  // namespace
}  // namespace tavelin::app
