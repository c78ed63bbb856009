#pragma once

#include "platform/Bundle.hpp"

namespace tavelin::app {

// The installation as the build and the running process know it: versions
// compiled in, the path of the executable, the desktop-entry id.
class LinuxBundle final : public Bundle {
 public:
  static constexpr const char* kIdentifier = "org.tavelin.Tavelin";

  std::optional<std::string> shortVersion() const override;
  std::optional<std::string> buildVersion() const override;
  // The executable's resolved path; "?" when the system cannot say.
  std::string path() const override;
  std::string bundleIdentifier() const override { return kIdentifier; }
};

}  // namespace tavelin::app
