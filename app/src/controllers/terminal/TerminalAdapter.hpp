#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "controllers/RunOutcome.hpp"
#include "controllers/terminal/Terminal.hpp"

namespace tavelin::app {

// One way of handing a command to a terminal; one adapter per TerminalDriver.
// Adapters keep nothing between runs.
class TerminalAdapter {
 public:
  virtual ~TerminalAdapter() = default;

  // Hands `command` to `terminal`, installed at `url`. `completion` is called
  // exactly once, on the main thread.
  virtual void run(const std::string& command, const Terminal& terminal, const std::string& url,
                   std::function<void(RunOutcome)> completion) = 0;
};

// `text` as the inside of an AppleScript string literal: backslashes doubled
// first, then each double quote preceded by a backslash, so nothing in it can
// end the literal. Line breaks are allowed in a literal and stay as they are.
std::string appleScriptEscaped(std::string_view text);

}  // namespace tavelin::app
