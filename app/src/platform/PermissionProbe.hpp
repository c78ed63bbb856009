#pragma once

#include <cstdint>
#include <string>

namespace tavelin::app {

// A hot key registered only to learn whether the system lets us have it.
struct ProbeHotKey {
  std::uint32_t keyCode = 0;    // macOS virtual key code
  std::uint32_t modifiers = 0;  // Carbon modifier mask
  std::string signature;        // four characters
  std::uint32_t id = 0;
  bool operator==(const ProbeHotKey&) const = default;
};

// The questions the permission checks put to the system. Each answers at once
// and leaves nothing behind: what a probe installs is removed before it
// returns. A question the system cannot answer counts as "no".
class PermissionProbe {
 public:
  virtual ~PermissionProbe() = default;

  // Whether this process may use the accessibility interface. With `prompt`
  // the system may show its own request to the user.
  virtual bool isAccessibilityTrusted(bool prompt) = 0;

  // Installs a global key-down monitor that does nothing and removes it at
  // once; false when the system gave no monitor.
  virtual bool installsGlobalKeyMonitor() = 0;

  // Registers `hotKey` and unregisters it at once; true when the registration
  // succeeded.
  virtual bool registersHotKey(const ProbeHotKey& hotKey) = 0;

  // Creates a listen-only key-down event tap and invalidates it at once. The
  // attempt itself is what lists the application under Input Monitoring.
  virtual void attemptKeyEventTap() = 0;

  virtual bool isReadableFile(const std::string& path) = 0;
};

}  // namespace tavelin::app
