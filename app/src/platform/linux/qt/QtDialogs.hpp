#pragma once

#include "platform/Dialogs.hpp"

namespace tavelin::app {

class QtDialogs final : public Dialogs {
 public:
  void showCriticalAlert(const std::string& title, const std::string& text, const std::string& button) override;
};

}  // namespace tavelin::app
