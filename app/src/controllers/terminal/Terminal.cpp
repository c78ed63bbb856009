#include "controllers/terminal/Terminal.hpp"

#include <string_view>

namespace tavelin::app {

Terminal::Terminal(const std::string& id, const Workspace& workspace, const DisplayName& displayName) {
  if (auto option = recognised_terminal(id)) {
    bundleId = std::move(option->bundle_id);
    name = std::move(option->name);
    driver = option->driver;
    recognised = true;
    url = workspace.urlForApplication(bundleId);
    return;
  }
  bundleId = id;
  driver = terminal_driver(id);
  url = workspace.urlForApplication(id);
  if (url) {
    std::string shown = displayName(*url);
    constexpr std::string_view bundle = ".app";
    if (shown.ends_with(bundle)) shown.resize(shown.size() - bundle.size());
    name = std::move(shown);
  }
  // A location with no name to show (a bare "/") says less than the id.
  if (name.empty()) name = id;
}

std::vector<Terminal> Terminal::list(const Store& store, const Workspace& workspace, const DisplayName& displayName) {
  std::vector<std::string> installed;
  for (const auto& option : terminal_options()) {
    if (workspace.urlForApplication(option.bundle_id)) installed.push_back(option.bundle_id);
  }
  std::vector<Terminal> terminals;
  for (const auto& id : store.terminal_list(installed)) terminals.emplace_back(id, workspace, displayName);
  return terminals;
}

}  // namespace tavelin::app
