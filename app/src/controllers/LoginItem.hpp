#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/LoginService.hpp"
#include "platform/Workspace.hpp"
#include "runtime/Published.hpp"

namespace tavelin::app {

// Whether the application opens at login. The user can change that outside
// the application, so `enabled` is always read back from the system, never
// remembered. Main thread only.
class LoginItem : public std::enable_shared_from_this<LoginItem> {
  struct Token {
    explicit Token() = default;
  };

 public:
  // Reads the system's answer now and again each time the application
  // becomes active. Both references outlive the item.
  static std::shared_ptr<LoginItem> start(LoginService& service, Workspace& workspace);

  // The instance the application runs on, once start-up has made it.
  static std::shared_ptr<LoginItem>& shared();

  Published<bool>& enabled() { return enabled_; }

  // Turns opening at login on or off: none on success, otherwise the
  // system's reason. Publishes the system's answer either way, so a switch
  // bound to `enabled` snaps back after a refusal.
  std::optional<std::string> set(bool on);

  // Publishes the system's answer again.
  void reload();

  LoginItem(Token, LoginService& service);

 private:
  LoginService& service_;
  Published<bool> enabled_;
};

}  // namespace tavelin::app
