#include "controllers/terminal/TerminalAdapters.hpp"

#include <utility>

#include "controllers/terminal/Terminal.hpp"
#include "runtime/Log.hpp"

namespace tavelin::app {

TerminalAdapters::TerminalAdapters(TerminalLaunch& launch, ScriptRunner& scripts)
    : launch_(launch),
      appleTerminal_(scripts),
      iTerm_(scripts),
      wezTerm_(launch),
      alacritty_(launch),
      kitty_(launch),
      execFlag_(launch) {}

// No default branch: a new driver does not compile until it has an adapter.
TerminalAdapter& TerminalAdapters::adapter(TerminalDriver driver) {
  switch (driver) {
    case TerminalDriver::AppleTerminal:
      return appleTerminal_;
    case TerminalDriver::ITerm:
      return iTerm_;
    case TerminalDriver::WezTerm:
      return wezTerm_;
    case TerminalDriver::Alacritty:
      return alacritty_;
    case TerminalDriver::Kitty:
      return kitty_;
    case TerminalDriver::ExecFlag:
      return execFlag_;
  }
  // Only a value outside the enumeration gets here; `-e` is the safest guess.
  return execFlag_;
}

// Each run resolves the terminal afresh, so installing, moving or deleting one
// takes effect on the next action.
void TerminalAdapters::run(const std::string& command, const std::string& preferredBundleId,
                           std::function<void(RunOutcome)> completion) {
  const auto& displayName = launch_.system().displayName;
  Terminal chosen(preferredBundleId, launch_.workspace(), displayName);
  if (!chosen.isInstalled()) {
    Terminal fallback(fallback_terminal(), launch_.workspace(), displayName);
    // "Apple Terminal ... using Apple Terminal" would say nothing the failure
    // below does not.
    if (!same_bundle_id(chosen.bundleId, fallback.bundleId)) {
      Log::warn(chosen.name + " is the default terminal but not on this Mac \u2014 using " + fallback.name + ".");
    }
    chosen = std::move(fallback);
  }
  if (!chosen.url) {
    completion(RunOutcome::failed(chosen.name + " is not on this Mac."));
    return;
  }
  adapter(chosen.driver).run(command, chosen, *chosen.url, std::move(completion));
}

}  // namespace tavelin::app
