#include "controllers/AppDelegate.hpp"

#include <tavelin/lib.hpp>

#include "runtime/Log.hpp"

namespace tavelin::app {

std::string versionText(const Bundle& bundle) {
  return bundle.shortVersion().value_or("?") + " · core " + core_version();
}

AppDelegate::AppDelegate(Dependencies dependencies) : d_(std::move(dependencies)) {}

void AppDelegate::applicationDidFinishLaunching() {
  Log::info("── Tavelin " + versionText(d_.bundle) + " started ──");
  Log::info("Running " + d_.bundle.path());
  if (auto other = d_.permissions.otherInstall()) Log::info("Another copy is installed at " + *other);

  followAppearance();
  d_.mainWindow.build();
  MainWindowController& window = d_.mainWindow;
  d_.hotkeys.start([&window] { window.toggle(); });
  d_.hotkeys.apply(d_.core.settings());
  reregisterWhenChordsChange();
  d_.core.watchConfig();

  if (!d_.permissions.isOperational()) {
    Log::warn("blocked · required permissions are off; opening Settings.");
    if (d_.showSettings) d_.showSettings(kPermissionsTab);
  } else if (d_.core.recoveredFrom()) {
    if (d_.showSettings) d_.showSettings(kGeneralTab);
  }
}

void AppDelegate::followAppearance() {
  auto last = std::make_shared<std::optional<Appearance>>();
  observers_.push_back(d_.core.published().subscribe([this, last](const Settings& settings) {
    if (*last == settings.appearance) return;
    *last = settings.appearance;
    if (d_.setAppearance) d_.setAppearance(settings.appearance);
  }));
}

void AppDelegate::reregisterWhenChordsChange() {
  struct Chords {
    Hotkey activation;
    std::vector<GlobalKey> globalKeys;
    bool operator==(const Chords&) const = default;
  };
  // The value delivered on subscribing is the one just applied.
  auto last = std::make_shared<std::optional<Chords>>();
  observers_.push_back(d_.core.published().subscribe([this, last](const Settings& settings) {
    Chords now{settings.activation_hotkey, settings.global_keys};
    const bool first = !last->has_value();
    const bool same = !first && **last == now;
    *last = std::move(now);
    if (!first && !same) d_.hotkeys.apply(settings);
  }));
}

void AppDelegate::applicationWillTerminate() {
  d_.hotkeys.unregisterAll();
  Log::endSession();
}

bool AppDelegate::applicationShouldHandleReopen() {
  if (d_.showSettings) d_.showSettings(std::nullopt);
  return true;
}

}  // namespace tavelin::app
