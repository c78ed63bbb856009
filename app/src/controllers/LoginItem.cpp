#include "controllers/LoginItem.hpp"

#include "runtime/Log.hpp"
#include "runtime/Status.hpp"

namespace tavelin::app {

std::shared_ptr<LoginItem> LoginItem::start(LoginService& service, Workspace& workspace) {
  auto item = std::make_shared<LoginItem>(Token{}, service);
  workspace.onDidBecomeActive([weak = item->weak_from_this()] {
    if (auto self = weak.lock()) self->reload();
  });
  return item;
}

std::shared_ptr<LoginItem>& LoginItem::shared() {
  static std::shared_ptr<LoginItem> instance;
  return instance;
}

LoginItem::LoginItem(Token, LoginService& service)
    : service_(service), enabled_(service.status() == LoginServiceStatus::enabled) {}

void LoginItem::reload() { enabled_.set(service_.status() == LoginServiceStatus::enabled); }

std::optional<std::string> LoginItem::set(bool on) {
  const auto done = on ? service_.registerLoginItem() : service_.unregisterLoginItem();
  const std::string word = on ? "on" : "off";
  std::optional<std::string> failure;
  if (done) {
    Log::info("open at login · " + word);
  } else {
    failure = done.error();
    Log::warn(std::string(statusWord(Status::failed)) + " · open at login could not be turned " + word + ": " +
              done.error());
  }
  reload();
  return failure;
}

}  // namespace tavelin::app
