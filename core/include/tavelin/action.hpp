#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <tavelin/config.hpp>

namespace tavelin {

// One word per kind of action: "applescript", "command", "terminal",
// "window", "app".
std::string action_kind(const KeyAction& action);

// The one-line description every list shows.
std::string action_summary(const KeyAction& action);

// Whether the action has anything to run; the store refuses on the same test.
bool action_is_runnable(const KeyAction& action);

// The window verbs in picker order.
std::vector<WindowAction> window_actions();

std::string window_action_title(WindowAction action);
std::string window_action_detail(WindowAction action);

std::string app_action_detail(const AppAction& action);

}  // namespace tavelin
