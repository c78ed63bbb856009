#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tavelin {

enum class ViewType { Compact, Grid, List };

enum class Appearance { System, Dark, Light };

enum class WindowAction {
  MoveLeft,
  MoveRight,
  MoveTop,
  MoveBottom,
  CenterHorizontally,
  ToggleMaximize,
  MoveToNextDisplay,
};

// Carbon modifier mask bits, as the configuration stores them.
inline constexpr std::uint32_t cmd_key = 256;
inline constexpr std::uint32_t shift_key = 512;
inline constexpr std::uint32_t alpha_lock = 1024;
inline constexpr std::uint32_t option_key = 2048;
inline constexpr std::uint32_t control_key = 4096;

struct AppAction {
  struct Toggle {
    bool operator==(const Toggle&) const = default;
  };
  struct Open {
    std::string identifier;
    bool operator==(const Open&) const = default;
  };

  std::variant<Toggle, Open> value;

  // "Toggle between …" or "Open/Focus " + the application's short name.
  std::string detail() const;

  bool operator==(const AppAction&) const = default;
};

struct KeyAction {
  struct AppleScript {
    std::string script;
    bool operator==(const AppleScript&) const = default;
  };
  struct Command {
    std::string command;
    bool operator==(const Command&) const = default;
  };
  struct TerminalCommand {
    std::string command;
    bool operator==(const TerminalCommand&) const = default;
  };
  struct Window {
    WindowAction action;
    bool operator==(const Window&) const = default;
  };
  struct App {
    AppAction action;
    bool operator==(const App&) const = default;
  };

  std::variant<AppleScript, Command, TerminalCommand, Window, App> value;

  std::string kind() const;
  std::string summary() const;
  bool is_runnable() const;

  bool operator==(const KeyAction&) const = default;
};

struct Hotkey {
  std::uint32_t key_code = 0;
  std::uint32_t modifiers = 0;
  bool operator==(const Hotkey&) const = default;
};

struct WindowSize {
  double width = 0;
  double height = 0;
  bool operator==(const WindowSize&) const = default;
};

struct KeySequence {
  std::string id;
  std::string keys;
  std::string description;
  KeyAction action;
  bool operator==(const KeySequence&) const = default;
};

struct GlobalKey {
  std::string id;
  std::uint32_t key_code = 0;
  std::uint32_t modifiers = 0;
  std::string description;
  KeyAction action;
  bool operator==(const GlobalKey&) const = default;
};

struct Settings {
  std::vector<KeySequence> sequences;
  std::vector<GlobalKey> global_keys;
  Hotkey activation_hotkey;
  WindowSize main_window;
  WindowSize settings_window;
  ViewType view_type = ViewType::Compact;
  Appearance appearance = Appearance::System;
  std::string terminal;
  std::vector<std::string> added_terminals;
  std::vector<std::string> removed_terminals;
  bool operator==(const Settings&) const = default;
};

// A fresh configuration: the seventeen default sequences in build order, each
// with a new identifier, and every preference at its shipped value.
Settings default_settings();

// ⌥Space.
Hotkey default_hotkey();

// 300 × 200, the smallest typing window the store accepts.
WindowSize minimum_main_window();

// The configuration file's pretty layout; cannot fail.
std::string settings_to_json(const Settings& settings);

// Reads a whole configuration or nothing. The error names the member or
// variant at fault with its line and column.
std::expected<Settings, std::string> settings_from_json(std::string_view json);

// The spellings the file uses for the field-less enumerations.
std::string_view view_type_name(ViewType view_type);
std::string_view appearance_name(Appearance appearance);
std::string_view window_action_name(WindowAction action);

}  // namespace tavelin
