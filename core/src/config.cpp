#include <tavelin/config.hpp>
#include <tavelin/lib.hpp>

namespace tavelin {

namespace {

KeySequence sequence(std::string keys, std::string description, KeyAction action) {
  return {new_identifier(), std::move(keys), std::move(description), std::move(action)};
}

KeyAction open_app(std::string identifier) {
  return {KeyAction::App{AppAction{AppAction::Open{std::move(identifier)}}}};
}

KeyAction window(WindowAction action) { return {KeyAction::Window{action}}; }

}  // namespace

Settings default_settings() {
  Settings settings;
  // Single letters for applications and two-letter groups for the rest, so no
  // binding is a prefix of another.
  settings.sequences = {
      sequence("c", "Calculator", open_app("com.apple.calculator")),
      sequence("f", "Finder", open_app("com.apple.finder")),
      sequence("m", "Mail", open_app("com.apple.mail")),
      sequence("n", "Notes", open_app("com.apple.Notes")),
      sequence("s", "Safari", open_app("com.apple.Safari")),
      sequence("e", "TextEdit", open_app("com.apple.TextEdit")),
      sequence("qq", "Toggle recent apps", {KeyAction::App{AppAction{AppAction::Toggle{}}}}),
      sequence("d", "Show current date", {KeyAction::Command{"date"}}),
      sequence("tl", "List files in the terminal", {KeyAction::TerminalCommand{"ls -la"}}),
      sequence("th", "Run top", {KeyAction::TerminalCommand{"top"}}),
      sequence("wh", "Window: Move Left", window(WindowAction::MoveLeft)),
      sequence("wl", "Window: Move Right", window(WindowAction::MoveRight)),
      sequence("wk", "Window: Move Top", window(WindowAction::MoveTop)),
      sequence("wj", "Window: Move Bottom", window(WindowAction::MoveBottom)),
      sequence("wm", "Window: Toggle Maximize", window(WindowAction::ToggleMaximize)),
      sequence("wc", "Window: Center Horizontally", window(WindowAction::CenterHorizontally)),
      sequence("wn", "Window: Move to Next Display", window(WindowAction::MoveToNextDisplay)),
  };
  settings.activation_hotkey = default_hotkey();
  settings.main_window = {600, 400};
  settings.settings_window = {600, 500};
  settings.view_type = ViewType::Compact;
  settings.appearance = Appearance::System;
  settings.terminal = "com.apple.Terminal";
  return settings;
}

Hotkey default_hotkey() { return {49, option_key}; }

WindowSize minimum_main_window() { return {300, 200}; }

std::string_view view_type_name(ViewType view_type) {
  switch (view_type) {
    case ViewType::Compact: return "compact";
    case ViewType::Grid: return "grid";
    case ViewType::List: return "list";
  }
  return "compact";
}

std::string_view appearance_name(Appearance appearance) {
  switch (appearance) {
    case Appearance::System: return "system";
    case Appearance::Dark: return "dark";
    case Appearance::Light: return "light";
  }
  return "system";
}

std::string_view window_action_name(WindowAction action) {
  switch (action) {
    case WindowAction::MoveLeft: return "moveLeft";
    case WindowAction::MoveRight: return "moveRight";
    case WindowAction::MoveTop: return "moveTop";
    case WindowAction::MoveBottom: return "moveBottom";
    case WindowAction::CenterHorizontally: return "centerHorizontally";
    case WindowAction::ToggleMaximize: return "toggleMaximize";
    case WindowAction::MoveToNextDisplay: return "moveToNextDisplay";
  }
  return "moveLeft";
}

}  // namespace tavelin
