#pragma once

#include <optional>
#include <string>

namespace tavelin::app {

// What the application knows about its own installation.
class Bundle {
 public:
  virtual ~Bundle() = default;
  virtual std::optional<std::string> shortVersion() const = 0;
  virtual std::optional<std::string> buildVersion() const = 0;
  virtual std::string path() const = 0;
  virtual std::string bundleIdentifier() const = 0;
};

}  // namespace tavelin::app
