#pragma once

// A login-item facility the test scripts: its status can be changed behind
// the application's back, and the next registration or unregistration can be
// refused with a reason.

#include <optional>
#include <string>
#include <vector>

#include "platform/LoginService.hpp"

namespace tavelin::app::testing {

class FakeLoginService final : public LoginService {
 public:
  LoginServiceStatus current = LoginServiceStatus::notRegistered;
  std::optional<std::string> refusal;                                   // the reason of every refusal
  LoginServiceStatus afterRegistering = LoginServiceStatus::enabled;    // what a registration leaves
  std::vector<std::string> calls;                                       // "register", "unregister"

  LoginServiceStatus status() const override { return current; }

  std::expected<void, std::string> registerLoginItem() override {
    calls.push_back("register");
    if (refusal) return std::unexpected(*refusal);
    current = afterRegistering;
    return {};
  }

  std::expected<void, std::string> unregisterLoginItem() override {
    calls.push_back("unregister");
    if (refusal) return std::unexpected(*refusal);
    current = LoginServiceStatus::notRegistered;
    return {};
  }
};

}  // namespace tavelin::app::testing
