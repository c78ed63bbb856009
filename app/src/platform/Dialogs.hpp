#pragma once

#include <string>

namespace tavelin::app {

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal alert of the critical style with one button; returns when the
  // user presses it.
  virtual void showCriticalAlert(const std::string& title, const std::string& text, const std::string& button) = 0;
};

}  // namespace tavelin::app
