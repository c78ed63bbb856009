#include "controllers/terminal/AppleTerminalAdapter.hpp"

namespace tavelin::app {

std::string AppleTerminalAdapter::script(std::string_view command) {
  const std::string escaped = appleScriptEscaped(command);
  return R"(tell application "Terminal"
    activate
    set idleTab to missing value
    repeat with w in windows
        repeat with t in tabs of w
            if not busy of t then
                set idleTab to t
                exit repeat
            end if
        end repeat
        if idleTab is not missing value then exit repeat
    end repeat
    if idleTab is missing value then
        do script ")" +
         escaped + R"("
    else
        do script ")" +
         escaped + R"(" in idleTab
    end if
end tell)";
}

void AppleTerminalAdapter::run(const std::string& command, const Terminal& /*terminal*/, const std::string& /*url*/,
                               std::function<void(RunOutcome)> completion) {
  scripts_.runAppleScript(script(command), std::move(completion));
}

}  // namespace tavelin::app
