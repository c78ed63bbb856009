#pragma once

#include "platform/Bundle.hpp"

namespace tavelin::app::testing {

class FakeBundle final : public Bundle {
 public:
  std::optional<std::string> shortVersion() const override { return version; }
  std::optional<std::string> buildVersion() const override { return build; }
  std::string path() const override { return location; }
  std::string bundleIdentifier() const override { return identifier; }

  std::optional<std::string> version = "1.0";
  std::optional<std::string> build = "1";
  std::string location = "/opt/tavelin/bin/tavelin";
  std::string identifier = "org.tavelin.Tavelin";
};

}  // namespace tavelin::app::testing
