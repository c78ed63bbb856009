#pragma once

#include <string>
#include <vector>

#include "platform/Dialogs.hpp"

namespace tavelin::app::testing {

class FakeDialogs final : public Dialogs {
 public:
  struct Alert {
    std::string title;
    std::string text;
    std::string button;
    bool operator==(const Alert&) const = default;
  };

  void showCriticalAlert(const std::string& title, const std::string& text, const std::string& button) override {
    alerts.push_back({title, text, button});
  }

  std::vector<Alert> alerts;
};

}  // namespace tavelin::app::testing
