#pragma once

#include <expected>
#include <string>

namespace tavelin::app {

// What the system says about the application itself as a login item.
enum class LoginServiceStatus { notRegistered, enabled, requiresApproval, notFound };

// The system's facility for starting the application when the user logs in.
// The user can change it outside the application at any time, so its status
// is the only truth. Failures are the system's reason, written for a person.
class LoginService {
 public:
  virtual ~LoginService() = default;
  virtual LoginServiceStatus status() const = 0;
  virtual std::expected<void, std::string> registerLoginItem() = 0;
  virtual std::expected<void, std::string> unregisterLoginItem() = 0;
};

}  // namespace tavelin::app
