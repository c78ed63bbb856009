#include <tavelin/action.hpp>

#include <variant>

#include "text.hpp"

namespace tavelin {
namespace {

constexpr std::string_view ellipsis = "…";
constexpr std::size_t script_summary_length = 40;
constexpr std::size_t app_name_length = 30;
constexpr std::size_t app_name_cut = 27;

template <class... F>
struct Overload : F... {
  using F::operator()...;
};

// The application's short name from a path or a bundle id.
std::string app_name(std::string_view identifier) {
  if (const auto slash = identifier.rfind('/'); slash != std::string_view::npos) {
    identifier.remove_prefix(slash + 1);
  }
  while (identifier.ends_with(".app")) identifier.remove_suffix(4);
  if (text::character_count(identifier) > app_name_length) {
    return std::string(text::first_characters(identifier, app_name_cut)) + std::string(ellipsis);
  }
  return std::string(identifier);
}

}  // namespace

std::string action_kind(const KeyAction& action) {
  return std::visit(Overload{
                        [](const KeyAction::AppleScript&) { return "applescript"; },
                        [](const KeyAction::Command&) { return "command"; },
                        [](const KeyAction::TerminalCommand&) { return "terminal"; },
                        [](const KeyAction::Window&) { return "window"; },
                        [](const KeyAction::App&) { return "app"; },
                    },
                    action.value);
}

std::string action_summary(const KeyAction& action) {
  return std::visit(
      Overload{
          [](const KeyAction::AppleScript& a) {
            // Scripts usually span many lines: show where they start.
            const auto script = text::trim(a.script);
            std::string shown(text::first_characters(script, script_summary_length));
            if (shown.size() < script.size()) shown += ellipsis;
            return "AppleScript: \"" + shown + "\"";
          },
          [](const KeyAction::Command& a) { return "Command: \"" + a.command + "\""; },
          [](const KeyAction::TerminalCommand& a) { return "Terminal: \"" + a.command + "\""; },
          [](const KeyAction::Window& a) { return "Window: " + window_action_title(a.action); },
          [](const KeyAction::App& a) { return "App: " + app_action_detail(a.action); },
      },
      action.value);
}

bool action_is_runnable(const KeyAction& action) {
  const auto has_text = [](std::string_view payload) { return !text::trim(payload).empty(); };
  return std::visit(
      Overload{
          [&](const KeyAction::AppleScript& a) { return has_text(a.script); },
          [&](const KeyAction::Command& a) { return has_text(a.command); },
          [&](const KeyAction::TerminalCommand& a) { return has_text(a.command); },
          [](const KeyAction::Window&) { return true; },
          [&](const KeyAction::App& a) {
            const auto* open = std::get_if<AppAction::Open>(&a.action.value);
            return open == nullptr || has_text(open->identifier);
          },
      },
      action.value);
}

std::vector<WindowAction> window_actions() {
  return {
      WindowAction::MoveLeft,           WindowAction::MoveRight,
      WindowAction::MoveTop,            WindowAction::MoveBottom,
      WindowAction::CenterHorizontally, WindowAction::ToggleMaximize,
      WindowAction::MoveToNextDisplay,
  };
}

std::string window_action_title(WindowAction action) {
  switch (action) {
    case WindowAction::MoveLeft: return "Move Left";
    case WindowAction::MoveRight: return "Move Right";
    case WindowAction::MoveTop: return "Move Top";
    case WindowAction::MoveBottom: return "Move Bottom";
    case WindowAction::CenterHorizontally: return "Center Horizontally";
    case WindowAction::ToggleMaximize: return "Toggle Maximize";
    case WindowAction::MoveToNextDisplay: return "Move to Next Display";
  }
  return {};
}

std::string window_action_detail(WindowAction action) {
  switch (action) {
    case WindowAction::MoveLeft: return "Move window to the left half of the screen";
    case WindowAction::MoveRight: return "Move window to the right half of the screen";
    case WindowAction::MoveTop: return "Move window to the top half of the screen";
    case WindowAction::MoveBottom: return "Move window to the bottom half of the screen";
    case WindowAction::CenterHorizontally: return "Center window horizontally";
    case WindowAction::ToggleMaximize: return "Toggle window maximize state";
    case WindowAction::MoveToNextDisplay: return "Move window to the next display";
  }
  return {};
}

std::string app_action_detail(const AppAction& action) {
  if (const auto* open = std::get_if<AppAction::Open>(&action.value)) {
    return "Open/Focus " + app_name(open->identifier);
  }
  return "Toggle between the two most recent applications";
}

std::string AppAction::detail() const { return app_action_detail(*this); }

std::string KeyAction::kind() const { return action_kind(*this); }

std::string KeyAction::summary() const { return action_summary(*this); }

bool KeyAction::is_runnable() const { return action_is_runnable(*this); }

}  // namespace tavelin
