#pragma once

#include "platform/AppleScriptEngine.hpp"

namespace tavelin::app {

// There is no AppleScript interpreter on Linux: every script fails the way an
// execution error would, so a binding that holds one says why it did nothing.
class NoAppleScriptEngine final : public AppleScriptEngine {
 public:
  AppleScriptResult execute(const std::string& source) override;
};

}  // namespace tavelin::app
