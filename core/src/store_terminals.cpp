#include <tavelin/store.hpp>
#include <tavelin/terminal.hpp>

#include <algorithm>

#include "store_rules.hpp"

namespace tavelin {
namespace {

bool listed(const std::vector<std::string>& list, std::string_view id) {
  return std::ranges::any_of(list, [&](const std::string& entry) { return same_bundle_id(entry, id); });
}

void add_unless_listed(std::vector<std::string>& list, std::string_view id) {
  if (!listed(list, id)) list.emplace_back(id);
}

}  // namespace

std::vector<std::string> Store::terminal_list(const std::vector<std::string>& installed) const {
  const Settings s = settings();
  std::vector<std::string> list;
  add_unless_listed(list, fallback_terminal());
  for (const TerminalOption& option : terminal_options()) {
    if (listed(installed, option.bundle_id) && !listed(s.removed_terminals, option.bundle_id)) {
      add_unless_listed(list, option.bundle_id);
    }
  }
  for (const std::string& added : s.added_terminals) add_unless_listed(list, added);
  add_unless_listed(list, s.terminal);
  return list;
}

Store::Result Store::add_terminal(std::string_view bundle_id) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    auto id = rules::canonical_bundle_id(bundle_id);
    if (!id) return std::unexpected(id.error());
    std::erase_if(s.removed_terminals, [&](const std::string& entry) { return same_bundle_id(entry, *id); });
    if (!same_bundle_id(*id, fallback_terminal())) add_unless_listed(s.added_terminals, *id);
    s.terminal = *id;
    return {};
  });
}

Store::Result Store::remove_terminal(std::string_view bundle_id) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    auto id = rules::canonical_bundle_id(bundle_id);
    if (!id) return std::unexpected(id.error());
    if (same_bundle_id(*id, fallback_terminal())) {
      return std::unexpected(CoreError{CoreError::Kind::Invalid,
                                       "Apple Terminal stays on the list: it is the fallback, where terminal "
                                       "actions go when the default terminal is missing."});
    }
    std::erase_if(s.added_terminals, [&](const std::string& entry) { return same_bundle_id(entry, *id); });
    if (recognised_terminal(*id)) add_unless_listed(s.removed_terminals, *id);
    if (same_bundle_id(s.terminal, *id)) s.terminal = fallback_terminal();
    return {};
  });
}

Store::Result Store::set_default_terminal(std::string_view bundle_id) {
  return change([&](Settings& s) -> std::expected<void, CoreError> {
    auto id = rules::canonical_bundle_id(bundle_id);
    if (!id) return std::unexpected(id.error());
    s.terminal = *id;
    return {};
  });
}

}  // namespace tavelin
