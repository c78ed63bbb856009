#pragma once

#include <string>
#include <utility>

namespace tavelin::app {

// The result of running a script or handing a command to a terminal.
struct RunOutcome {
  enum class Kind {
    ran,     // it ran; text is what it produced, possibly empty
    failed,  // it did not run, or ran and failed; text is a sentence for a person
  };
  Kind kind = Kind::ran;
  std::string text;

  static RunOutcome ran(std::string text) { return {Kind::ran, std::move(text)}; }
  static RunOutcome failed(std::string text) { return {Kind::failed, std::move(text)}; }

  bool operator==(const RunOutcome&) const = default;
};

}  // namespace tavelin::app
