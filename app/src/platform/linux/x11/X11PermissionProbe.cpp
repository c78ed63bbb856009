#include "platform/linux/x11/X11PermissionProbe.hpp"

#include <unistd.h>

namespace tavelin::app {
namespace {

// The signature's four characters packed as the hot-key facility packs them.
std::uint32_t packed(const std::string& signature) {
  std::uint32_t code = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto c = i < signature.size() ? static_cast<unsigned char>(signature[i]) : 0u;
    code = (code << 8) | c;
  }
  return code;
}

}  // namespace

X11PermissionProbe::X11PermissionProbe(xcb_connection_t* connection, HotkeyService& hotkeys)
    : connection_(connection), hotkeys_(hotkeys) {}

bool X11PermissionProbe::connected() const {
  return connection_ != nullptr && xcb_connection_has_error(connection_) == 0;
}

// There is no system prompt to show.
bool X11PermissionProbe::isAccessibilityTrusted(bool) { return connected(); }

// Any client may watch the keyboard; nothing needs installing.
bool X11PermissionProbe::installsGlobalKeyMonitor() { return connected(); }

bool X11PermissionProbe::registersHotKey(const ProbeHotKey& hotKey) {
  if (!connected()) return false;
  const HotkeyRegisterResult result =
      hotkeys_.registerHotkey(hotKey.keyCode, hotKey.modifiers, packed(hotKey.signature), hotKey.id);
  if (result.registration) hotkeys_.unregisterHotkey(result.registration);
  return result.status == kHotkeyNoErr;
}

// Nothing lists applications for input on X11.
void X11PermissionProbe::attemptKeyEventTap() {}

bool X11PermissionProbe::isReadableFile(const std::string& path) { return ::access(path.c_str(), R_OK) == 0; }

}  // namespace tavelin::app
