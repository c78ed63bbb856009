#pragma once

#include <string_view>

namespace tavelin::app {

// The one-word state shown beside results, and the first word of the log
// lines about outcomes.
enum class Status { waiting, unmatched, ran, failed, blocked, granted, off };

constexpr std::string_view statusWord(Status status) {
  switch (status) {
    case Status::waiting: return "waiting";
    case Status::unmatched: return "unmatched";
    case Status::ran: return "ran";
    case Status::failed: return "failed";
    case Status::blocked: return "blocked";
    case Status::granted: return "granted";
    case Status::off: return "off";
  }
  return "failed";
}

}  // namespace tavelin::app
