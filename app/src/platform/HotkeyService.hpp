#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace tavelin::app {

// Status codes of the system-wide hot-key facility.
inline constexpr int kHotkeyNoErr = 0;
inline constexpr int kEventNotHandledErr = -9874;
inline constexpr int kEventHotKeyExistsErr = -9878;   // another client holds the chord
inline constexpr int kEventHotKeyInvalidErr = -9879;  // the keyboard cannot produce the key

// One press of a registered chord as the system delivers it. A press whose
// identity could not be read carries the status of that read.
struct HotkeyPress {
  int parameterStatus = kHotkeyNoErr;
  std::uint32_t signature = 0;
  std::uint32_t id = 0;
};

// A registered chord; unregistering takes it back.
class HotkeyRegistration {
 public:
  virtual ~HotkeyRegistration() = default;
};

struct HotkeyRegisterResult {
  int status = kHotkeyNoErr;
  std::shared_ptr<HotkeyRegistration> registration;  // set exactly when status is 0
};

// System-wide chords: key codes and modifier masks in the configuration's
// numbering; presses delivered on the main thread.
class HotkeyService {
 public:
  virtual ~HotkeyService() = default;

  // The handler answers each press with a status (0: handled). Returns the
  // status of the installation.
  virtual int installHandler(std::function<int(const HotkeyPress&)> handler) = 0;

  virtual HotkeyRegisterResult registerHotkey(std::uint32_t keyCode, std::uint32_t modifiers, std::uint32_t signature,
                                              std::uint32_t id) = 0;
  virtual void unregisterHotkey(const std::shared_ptr<HotkeyRegistration>& registration) = 0;
};

// Four ASCII characters packed with the first in the most significant byte.
constexpr std::uint32_t fourCharCode(const char (&code)[5]) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

}  // namespace tavelin::app
