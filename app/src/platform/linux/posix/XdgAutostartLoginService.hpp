#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/Environment.hpp"
#include "platform/LoginService.hpp"

namespace tavelin::app {

// Opening at login through an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/<bundle id>.desktop ($HOME/.config when
// XDG_CONFIG_HOME is unset or not absolute). Only an entry carrying
// "X-Tavelin-Autostart=true" is ours: it is what we write, and it survives
// the executable moving. Ours and neither "Hidden=true" nor
// "X-GNOME-Autostart-enabled=false" reads as enabled; anything else, someone
// else's entry at that name included, reads as not registered.
class XdgAutostartLoginService final : public LoginService {
 public:
  // Reads one variable of the environment.
  using Environment = app::Environment;
  static Environment processEnvironment();

  XdgAutostartLoginService(std::string bundleIdentifier, std::string executable,
                           Environment environment = processEnvironment());

  // Where the entry goes; none when neither variable gives an absolute path.
  std::optional<std::filesystem::path> entryPath() const;

  LoginServiceStatus status() const override;

  // Writes our entry, replacing whatever holds that name, through a
  // temporary file renamed over it.
  std::expected<void, std::string> registerLoginItem() override;

  // Removes our entry; an entry we did not write is left alone.
  std::expected<void, std::string> unregisterLoginItem() override;

 private:
  std::string bundleIdentifier_;
  std::string executable_;
  Environment environment_;
};

// The text of our autostart entry for `executable`.
std::string autostartEntryText(const std::string& executable);

}  // namespace tavelin::app
