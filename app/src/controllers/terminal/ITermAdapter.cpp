#include "controllers/terminal/ITermAdapter.hpp"

namespace tavelin::app {

std::string ITermAdapter::script(std::string_view command) {
  const std::string escaped = appleScriptEscaped(command);
  return R"(tell application "iTerm"
    activate
    if (count of windows) = 0 then
        set w to (create window with default profile)
        tell current session of w to write text ")" +
         escaped + R"("
    else
        tell current window
            set t to (create tab with default profile)
            tell current session of t to write text ")" +
         escaped + R"("
        end tell
    end if
end tell)";
}

void ITermAdapter::run(const std::string& command, const Terminal& /*terminal*/, const std::string& /*url*/,
                       std::function<void(RunOutcome)> completion) {
  scripts_.runAppleScript(script(command), std::move(completion));
}

}  // namespace tavelin::app
