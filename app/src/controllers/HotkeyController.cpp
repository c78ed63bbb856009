#include "controllers/HotkeyController.hpp"

#include <tavelin/keys.hpp>

#include "runtime/Log.hpp"

namespace tavelin::app {

HotkeyController::HotkeyController(HotkeyService& service, Workspace& workspace, RunAction runAction)
    : service_(service), workspace_(workspace), runAction_(std::move(runAction)) {}

void HotkeyController::start(std::function<void()> onActivate) {
  onActivate_ = std::move(onActivate);
  if (handlerInstalled_) return;
  const int status = service_.installHandler([this](const HotkeyPress& press) { return handle(press); });
  if (status != kHotkeyNoErr) {
    Log::error("blocked · could not install the hotkey handler (OSStatus " + std::to_string(status) + ")");
    return;
  }
  handlerInstalled_ = true;
}

void HotkeyController::apply(const Settings& settings) {
  unregisterAll();
  std::vector<std::string> sentences;

  const Hotkey& chord = settings.activation_hotkey;
  auto activation = service_.registerHotkey(chord.key_code, chord.modifiers, kSignature, kActivationId);
  if (activation.status == kHotkeyNoErr && activation.registration) {
    registered_[kActivationId] = {activation.registration, Activation{}};
  } else {
    sentences.push_back(hotkey_display(chord.key_code, chord.modifiers) +
                        " could not be registered — another app already has it. (OSStatus " +
                        std::to_string(activation.status) + ")");
  }

  for (std::size_t i = 0; i < settings.global_keys.size(); ++i) {
    const GlobalKey& key = settings.global_keys[i];
    const auto id = kFirstGlobalId + static_cast<std::uint32_t>(i);
    auto result = service_.registerHotkey(key.key_code, key.modifiers, kSignature, id);
    if (result.status == kHotkeyNoErr && result.registration) {
      registered_[id] = {result.registration, key};
    } else {
      sentences.push_back(hotkey_display(key.key_code, key.modifiers) + " (" + key.description +
                          ") could not be registered — another app already has it. (OSStatus " +
                          std::to_string(result.status) + ")");
    }
  }

  conflicts_.set(sentences);
  Log::info("hotkeys " + std::to_string(registered_.size()) + "/" + std::to_string(settings.global_keys.size() + 1) +
            " registered");
  for (const std::string& sentence : sentences) Log::warn("blocked · " + sentence);
}

void HotkeyController::unregisterAll() {
  for (const auto& [id, entry] : registered_) service_.unregisterHotkey(entry.registration);
  registered_.clear();
}

void HotkeyController::suspendActivation() {
  auto found = registered_.find(kActivationId);
  if (found == registered_.end()) return;
  service_.unregisterHotkey(found->second.registration);
  registered_.erase(found);
}

bool HotkeyController::fire(std::uint32_t id) {
  auto found = registered_.find(id);
  if (found == registered_.end()) return false;
  if (std::holds_alternative<Activation>(found->second.binding)) {
    if (onActivate_) onActivate_();
    return true;
  }
  // A copy: the action may change the configuration and so this table.
  const GlobalKey key = std::get<GlobalKey>(found->second.binding);
  Log::info("global " + hotkey_display(key.key_code, key.modifiers) + " · " + key.description);
  // Nothing is shown for a global key: the runner's log line is the record.
  runAction_(key.action, workspace_.frontmostApplication(), [](std::optional<ActionRunner::Failure>) {});
  return true;
}

int HotkeyController::handle(const HotkeyPress& press) {
  if (press.parameterStatus != kHotkeyNoErr) return press.parameterStatus;
  return fire(press.id) ? kHotkeyNoErr : kEventNotHandledErr;
}

}  // namespace tavelin::app
