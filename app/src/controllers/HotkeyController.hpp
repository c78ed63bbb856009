#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <tavelin/config.hpp>

#include "controllers/ActionRunner.hpp"
#include "platform/HotkeyService.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Published.hpp"

namespace tavelin::app {

// Turns the configuration's chords into system-wide hot keys: the activation
// chord toggles the typing window, each global key runs its action directly.
class HotkeyController {
 public:
  static constexpr std::uint32_t kSignature = fourCharCode("TVLN");
  static constexpr std::uint32_t kActivationId = 1;
  static constexpr std::uint32_t kFirstGlobalId = 100;

  HotkeyController(HotkeyService& service, Workspace& workspace, RunAction runAction);

  void start(std::function<void()> onActivate);
  void apply(const Settings& settings);
  void unregisterAll();
  void suspendActivation();

  // What the system's handler does with a press: true when it was ours.
  bool fire(std::uint32_t id);
  int handle(const HotkeyPress& press);

  // One sentence per chord the last apply could not register.
  Published<std::vector<std::string>>& conflicts() { return conflicts_; }
  bool isRegistered(std::uint32_t id) const { return registered_.contains(id); }
  std::size_t registeredCount() const { return registered_.size(); }

 private:
  struct Activation {};
  using Binding = std::variant<Activation, GlobalKey>;
  struct Entry {
    std::shared_ptr<HotkeyRegistration> registration;
    Binding binding;
  };

  HotkeyService& service_;
  Workspace& workspace_;
  RunAction runAction_;
  bool handlerInstalled_ = false;
  std::function<void()> onActivate_;
  std::map<std::uint32_t, Entry> registered_;
  Published<std::vector<std::string>> conflicts_;
};

}  // namespace tavelin::app
