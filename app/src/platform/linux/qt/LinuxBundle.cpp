#include "platform/linux/qt/LinuxBundle.hpp"

#include <filesystem>
#include <system_error>

#ifndef TAVELIN_VERSION
#error "TAVELIN_VERSION must come from the build"
#endif
#ifndef TAVELIN_BUILD_VERSION
#error "TAVELIN_BUILD_VERSION must come from the build"
#endif

namespace tavelin::app {

std::optional<std::string> LinuxBundle::shortVersion() const { return std::string(TAVELIN_VERSION); }

std::optional<std::string> LinuxBundle::buildVersion() const { return std::string(TAVELIN_BUILD_VERSION); }

std::string LinuxBundle::path() const {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string("?") : executable.string();
}

}  // namespace tavelin::app
