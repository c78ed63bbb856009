#include "controllers/terminal/TerminalAdapter.hpp"

namespace tavelin::app {

std::string appleScriptEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace tavelin::app
