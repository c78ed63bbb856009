#include "platform/linux/posix/NoAppleScriptEngine.hpp"

namespace tavelin::app {

AppleScriptResult NoAppleScriptEngine::execute(const std::string&) {
  return {AppleScriptResult::Error{
      .applicationName = "AppleScript",
      .message = "no AppleScript interpreter is available on this system",
      .number = std::nullopt,
  }};
}

}  // namespace tavelin::app
