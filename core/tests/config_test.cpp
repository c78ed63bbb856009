#include <gtest/gtest.h>

#include <tavelin/config.hpp>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>

namespace tavelin {
namespace {

// A file as a person might find it: two sequences and one global key.
constexpr std::string_view example = R"({
  "sequences": [
    {
      "id": "e2b4c1d0-7f3a-4c9e-a1b2-c3d4e5f6a7b8",
      "keys": "s",
      "description": "Safari",
      "action": {
        "kind": "app",
        "action": {
          "kind": "open",
          "identifier": "com.apple.Safari"
        }
      }
    },
    {
      "id": "a9f8e7d6-c5b4-4a3f-b2e1-d0c9b8a7f6e5",
      "keys": "wh",
      "description": "Window: Move Left",
      "action": {
        "kind": "window",
        "action": "moveLeft"
      }
    }
  ],
  "global_keys": [
    {
      "id": "f0e1d2c3-b4a5-4f6e-9d8c-7b6a5f4e3d2c",
      "key_code": 17,
      "modifiers": 6144,
      "description": "List files in the terminal",
      "action": {
        "kind": "terminalCommand",
        "command": "ls -la"
      }
    }
  ],
  "activation_hotkey": {
    "key_code": 49,
    "modifiers": 2048
  },
  "main_window": {
    "width": 600.0,
    "height": 400.0
  },
  "settings_window": {
    "width": 600.0,
    "height": 500.0
  },
  "view_type": "compact",
  "appearance": "system",
  "terminal": "com.apple.Terminal",
  "added_terminals": [],
  "removed_terminals": []
})";

// `text` with the first `from` replaced by `to`; fails the test if `from` is absent.
std::string edited(std::string_view text, std::string_view from, std::string_view to) {
  std::string s(text);
  const auto at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

Settings read(std::string_view text) {
  auto settings = settings_from_json(text);
  EXPECT_TRUE(settings.has_value()) << settings.error();
  return settings.value_or(Settings{});
}

std::string refusal(std::string_view text) {
  const auto settings = settings_from_json(text);
  EXPECT_FALSE(settings.has_value());
  return settings ? std::string("(accepted)") : settings.error();
}

KeyAction open_app(std::string id) { return {KeyAction::App{AppAction{AppAction::Open{std::move(id)}}}}; }

TEST(ConfigDefaults, AreTheSeventeenSequencesInBuildOrder) {
  struct Expected {
    std::string keys, description;
    KeyAction action;
  };
  const std::vector<Expected> expected = {
      {"c", "Calculator", open_app("com.apple.calculator")},
      {"f", "Finder", open_app("com.apple.finder")},
      {"m", "Mail", open_app("com.apple.mail")},
      {"n", "Notes", open_app("com.apple.Notes")},
      {"s", "Safari", open_app("com.apple.Safari")},
      {"e", "TextEdit", open_app("com.apple.TextEdit")},
      {"qq", "Toggle recent apps", {KeyAction::App{AppAction{AppAction::Toggle{}}}}},
      {"d", "Show current date", {KeyAction::Command{"date"}}},
      {"tl", "List files in the terminal", {KeyAction::TerminalCommand{"ls -la"}}},
      {"th", "Run top", {KeyAction::TerminalCommand{"top"}}},
      {"wh", "Window: Move Left", {KeyAction::Window{WindowAction::MoveLeft}}},
      {"wl", "Window: Move Right", {KeyAction::Window{WindowAction::MoveRight}}},
      {"wk", "Window: Move Top", {KeyAction::Window{WindowAction::MoveTop}}},
      {"wj", "Window: Move Bottom", {KeyAction::Window{WindowAction::MoveBottom}}},
      {"wm", "Window: Toggle Maximize", {KeyAction::Window{WindowAction::ToggleMaximize}}},
      {"wc", "Window: Center Horizontally", {KeyAction::Window{WindowAction::CenterHorizontally}}},
      {"wn", "Window: Move to Next Display", {KeyAction::Window{WindowAction::MoveToNextDisplay}}},
  };
  const Settings s = default_settings();
  ASSERT_EQ(s.sequences.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(s.sequences[i].keys, expected[i].keys) << i;
    EXPECT_EQ(s.sequences[i].description, expected[i].description) << i;
    EXPECT_EQ(s.sequences[i].action, expected[i].action) << i;
  }
  EXPECT_TRUE(s.global_keys.empty());
  EXPECT_EQ(s.activation_hotkey, (Hotkey{49, 2048}));
  EXPECT_EQ(default_hotkey(), (Hotkey{49, 2048}));
  EXPECT_EQ(s.main_window, (WindowSize{600, 400}));
  EXPECT_EQ(s.settings_window, (WindowSize{600, 500}));
  EXPECT_EQ(minimum_main_window(), (WindowSize{300, 200}));
  EXPECT_EQ(s.view_type, ViewType::Compact);
  EXPECT_EQ(s.appearance, Appearance::System);
  EXPECT_EQ(s.terminal, "com.apple.Terminal");
  EXPECT_TRUE(s.added_terminals.empty());
  EXPECT_TRUE(s.removed_terminals.empty());
}

TEST(ConfigDefaults, GetFreshIdsEachTimeAndNoPrefixes) {
  Settings first = default_settings();
  Settings second = default_settings();
  std::set<std::string> ids;
  for (const auto* s : {&first, &second}) {
    for (const auto& sequence : s->sequences) ids.insert(sequence.id);
  }
  EXPECT_EQ(ids.size(), 34u);
  for (auto& sequence : first.sequences) sequence.id.clear();
  for (auto& sequence : second.sequences) sequence.id.clear();
  EXPECT_EQ(first, second);

  for (const auto& a : first.sequences) {
    for (const auto& b : first.sequences) {
      if (&a != &b) {
        EXPECT_FALSE(b.keys.starts_with(a.keys)) << a.keys << " / " << b.keys;
      }
    }
  }
}

TEST(JsonWrite, WorkedExampleReadsAndWritesBackByteForByte) {
  const Settings s = read(example);
  ASSERT_EQ(s.sequences.size(), 2u);
  EXPECT_EQ(s.sequences[0].id, "e2b4c1d0-7f3a-4c9e-a1b2-c3d4e5f6a7b8");
  EXPECT_EQ(s.sequences[0].action, open_app("com.apple.Safari"));
  EXPECT_EQ(s.sequences[1].action, (KeyAction{KeyAction::Window{WindowAction::MoveLeft}}));
  ASSERT_EQ(s.global_keys.size(), 1u);
  EXPECT_EQ(s.global_keys[0].key_code, 17u);
  EXPECT_EQ(s.global_keys[0].modifiers, 6144u);
  EXPECT_EQ(s.global_keys[0].action, (KeyAction{KeyAction::TerminalCommand{"ls -la"}}));
  EXPECT_EQ(s.activation_hotkey, (Hotkey{49, 2048}));
  EXPECT_EQ(s.settings_window, (WindowSize{600, 500}));
  EXPECT_EQ(s.terminal, "com.apple.Terminal");

  EXPECT_EQ(settings_to_json(s), example);
}

TEST(JsonWrite, DefaultsFileHasTheTopLevelOrderAndNoTrailingLineBreak) {
  const Settings defaults = default_settings();
  const std::string text = settings_to_json(defaults);
  std::size_t last = 0;
  for (const char* member : {"sequences", "global_keys", "activation_hotkey", "main_window", "settings_window",
                             "view_type", "appearance", "terminal", "added_terminals", "removed_terminals"}) {
    const auto at = text.find("\n  \"" + std::string(member) + "\": ");
    ASSERT_NE(at, std::string::npos) << member;
    EXPECT_GT(at, last) << member;
    last = at;
  }
  EXPECT_NE(text.find("\n  \"global_keys\": [],\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\n  \"added_terminals\": [],\n  \"removed_terminals\": []\n}")) << text;
  EXPECT_EQ(read(text), defaults);
}

TEST(JsonWrite, SizesAreShortestRoundTripWithAFraction) {
  const struct {
    double value;
    const char* written;
  } cases[] = {
      {600, "600.0"},
      {612.5, "612.5"},
      {0.1, "0.1"},
      {-0.0, "-0.0"},
      {1e300, "1e+300"},
      {5e-324, "5e-324"},
      {123456789012.0, "123456789012.0"},
      {std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
      // Not JSON numbers: the nearest finite value keeps the file readable.
      {std::numeric_limits<double>::infinity(), "1.7976931348623157e+308"},
      {-std::numeric_limits<double>::infinity(), "-1.7976931348623157e+308"},
      {std::nan(""), "0.0"},
  };
  for (const auto& c : cases) {
    Settings s = default_settings();
    s.settings_window = {c.value, 500};
    const std::string text = settings_to_json(s);
    EXPECT_NE(text.find("\"settings_window\": {\n    \"width\": " + std::string(c.written) + ",\n"), std::string::npos)
        << c.written;
    const auto back = settings_from_json(text);
    ASSERT_TRUE(back) << back.error();
    if (std::isfinite(c.value)) {
      EXPECT_EQ(back->settings_window.width, c.value) << c.written;
    }
  }
}

TEST(JsonWrite, EscapesOnlyQuotesBackslashesAndControlCharacters) {
  Settings s = default_settings();
  s.sequences[0].description = "a\"b\\c/\n\t\r\b\f\x01\x1f\x7f é 😀";
  s.sequences[1].description = std::string("nul\0end", 7);
  s.terminal = "bad\xff\xc3";  // not UTF-8: each stray byte becomes U+FFFD
  const std::string text = settings_to_json(s);
  EXPECT_NE(text.find(R"("description": "a\"b\\c/\n\t\r\b\f\u0001\u001f)"
                      "\x7f é 😀\""),
            std::string::npos);
  EXPECT_NE(text.find(R"("description": "nul\u0000end")"), std::string::npos);
  EXPECT_NE(text.find("\"terminal\": \"bad\uFFFD\uFFFD\""), std::string::npos);

  const Settings back = read(text);
  EXPECT_EQ(back.sequences[0].description, s.sequences[0].description);
  EXPECT_EQ(back.sequences[1].description, s.sequences[1].description);
  EXPECT_EQ(back.terminal, "bad\uFFFD\uFFFD");
}

TEST(JsonRead, OptionalMembersMayBeAbsentAndAreWrittenNextTime) {
  std::string old = edited(example, "  \"appearance\": \"system\",\n", "");
  old = edited(old, ",\n  \"added_terminals\": [],\n  \"removed_terminals\": []", "");
  Settings expected = read(example);
  expected.appearance = Appearance::Dark;  // so "absent" cannot pass by chance
  Settings s = read(edited(old, "\"view_type\"", "\"appearance\": \"dark\", \"view_type\""));
  EXPECT_EQ(s, expected);
  s = read(old);
  EXPECT_EQ(s.appearance, Appearance::System);
  EXPECT_TRUE(s.added_terminals.empty());
  EXPECT_TRUE(s.removed_terminals.empty());
  EXPECT_EQ(settings_to_json(s), example);
}

TEST(JsonRead, IgnoresUnknownMembersAtEveryLevelAndDropsThemOnWrite) {
  std::string text(example);
  text = edited(text, "{\n  \"sequences\"", R"({"comment": {"nested": [1, {"kind": "x"}, [[]]], "s": "}"}, "sequences")");
  text = edited(text, R"("keys": "s",)", R"("keys": "s", "note": null, "action2": {"kind": "bogus"},)");
  text = edited(text, R"("kind": "app",)", R"("kind": "app", "script": 5, "command": ["x"],)");
  text = edited(text, R"("kind": "open",)", R"("kind": "open", "extra": true,)");
  text = edited(text, R"("kind": "window",)", R"("kind": "window", "identifier": {"a": 1},)");
  text = edited(text, R"("modifiers": 6144,)", R"("modifiers": 6144, "KEY_CODE": "x",)");
  text = edited(text, R"("modifiers": 2048)", R"("modifiers": 2048, "caps": 1.5)");
  text = edited(text, R"("height": 500.0)", R"("height": 500.0, "depth": -1)");
  text = edited(text, "\"removed_terminals\": []", "\"removed_terminals\": [], \"future\": [[{}]]");
  const Settings s = read(text);
  EXPECT_EQ(s, read(example));
  EXPECT_EQ(settings_to_json(s), example);
}

TEST(JsonRead, TakesMembersInAnyOrder) {
  const std::string reordered = R"({"removed_terminals": ["b"], "terminal": "t", "view_type": "list",
    "settings_window": {"height": 2, "width": 1}, "main_window": {"height": 400, "width": 600},
    "activation_hotkey": {"modifiers": 256, "key_code": 0},
    "global_keys": [{"action": {"command": "x", "kind": "command"}, "description": "d",
                     "modifiers": 4096, "key_code": 4294967295, "id": "g"}],
    "sequences": [
      {"action": {"command": "ls", "kind": "terminalCommand"}, "description": "d", "keys": "k", "id": "1"},
      {"action": {"action": {"identifier": "x.y", "kind": "open"}, "kind": "app"}, "description": "d", "keys": "a", "id": "2"},
      {"action": {"action": {"kind": "toggle"}, "kind": "app"}, "description": "d", "keys": "b", "id": "3"},
      {"action": {"script": "beep", "kind": "appleScript"}, "description": "d", "keys": "c", "id": "4"},
      {"action": {"action": "moveToNextDisplay", "kind": "window"}, "description": "d", "keys": "e", "id": "5"}],
    "appearance": "light", "added_terminals": ["a"]})";
  const Settings s = read(reordered);
  ASSERT_EQ(s.sequences.size(), 5u);
  EXPECT_EQ(s.sequences[0].action, (KeyAction{KeyAction::TerminalCommand{"ls"}}));
  EXPECT_EQ(s.sequences[1].action, open_app("x.y"));
  EXPECT_EQ(s.sequences[2].action, (KeyAction{KeyAction::App{AppAction{AppAction::Toggle{}}}}));
  EXPECT_EQ(s.sequences[3].action, (KeyAction{KeyAction::AppleScript{"beep"}}));
  EXPECT_EQ(s.sequences[4].action, (KeyAction{KeyAction::Window{WindowAction::MoveToNextDisplay}}));
  ASSERT_EQ(s.global_keys.size(), 1u);
  EXPECT_EQ(s.global_keys[0].key_code, 4294967295u);
  EXPECT_EQ(s.global_keys[0].action, (KeyAction{KeyAction::Command{"x"}}));
  EXPECT_EQ(s.activation_hotkey, (Hotkey{0, 256}));
  EXPECT_EQ(s.settings_window, (WindowSize{1, 2}));
  EXPECT_EQ(s.view_type, ViewType::List);
  EXPECT_EQ(s.appearance, Appearance::Light);
  EXPECT_EQ(s.added_terminals, std::vector<std::string>{"a"});
  EXPECT_EQ(s.removed_terminals, std::vector<std::string>{"b"});
  // The integer 600 is a size like 600.0 and is written as one.
  EXPECT_NE(settings_to_json(s).find("\"width\": 600.0,"), std::string::npos);
}

TEST(JsonRead, TakesAnyJsonNumberForASize) {
  const struct {
    const char* text;
    double value;
  } cases[] = {{"600", 600}, {"-0", 0}, {"1e2", 100}, {"612.5", 612.5}, {"18446744073709551616", 18446744073709551616.0},
               {"0.30000000000000004", 0.30000000000000004}, {"2.2250738585072011e-308", 2.2250738585072011e-308},
               {"1e-400", 0}, {"-1e-400", 0}};
  for (const auto& c : cases) {
    const Settings s = read(edited(example, "\"width\": 600.0", std::string("\"width\": ") + c.text));
    EXPECT_EQ(s.main_window.width, c.value) << c.text;
  }
}

TEST(JsonRead, SkipsALeadingByteOrderMark) {
  EXPECT_EQ(read("\xEF\xBB\xBF" + std::string(example)), read(example));
  // Positions are counted as an editor shows them, without the mark.
  EXPECT_EQ(refusal("\xEF\xBB\xBF[]"), "invalid type: array, expected an object holding the configuration at line 1, column 1");
  EXPECT_EQ(refusal("\xEF\xBB\xBF\xEF\xBB\xBF{}"), "invalid value at line 1, column 1");
}

TEST(JsonRead, SkipsDeeplyNestedUnknownValuesWithoutRecursing) {
  constexpr std::size_t depth = 100000;
  const std::string arrays = std::string(depth, '[') + std::string(depth, ']');
  std::string objects;
  for (std::size_t i = 0; i < depth; ++i) objects += "{\"a\":";
  objects += "1" + std::string(depth, '}');
  EXPECT_EQ(read(edited(example, "\"view_type\"", "\"deep\": " + arrays + ", \"deeper\": " + objects + ", \"view_type\"")),
            read(example));
  // The same nesting left open is refused like any other unfinished file.
  EXPECT_NE(refusal(edited(example, "\"view_type\"", "\"deep\": " + std::string(depth, '[') + "\"view_type\"")).find("at line"),
            std::string::npos);
}

// Each refusal names what is at fault and where. Lines and columns are those
// of the edited example; columns count characters from 1.
TEST(JsonRefusal, NamesTheMemberOrVariantAndItsPosition) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      // required members
      {edited(example, "  \"terminal\": \"com.apple.Terminal\",\n", ""), R"(missing field "terminal" at line 53, column 1)"},
      {edited(example, "      \"keys\": \"wh\",\n", ""), R"(missing field "keys" at line 22, column 5)"},
      {edited(example, ",\n    \"modifiers\": 2048", ""), R"(missing field "modifiers" at line 39, column 3)"},
      {edited(example, ",\n        \"command\": \"ls -la\"", ""), R"(missing field "command" at line 33, column 7)"},
      {edited(example, "        \"kind\": \"window\",\n", ""), R"(missing field "kind" at line 21, column 7)"},
      {edited(example, ",\n          \"identifier\": \"com.apple.Safari\"", ""), R"(missing field "identifier" at line 11, column 9)"},
      {edited(example, "\"width\": 600.0,\n    \"height\": 400.0", "\"width\": 600.0"), R"(missing field "height" at line 43, column 3)"},
      // duplicates
      {edited(example, "      \"keys\": \"s\",\n", "      \"keys\": \"s\",\n      \"keys\": \"t\",\n"), R"(duplicate field "keys" at line 6, column 7)"},
      {edited(example, "\"kind\": \"open\",", "\"kind\": \"open\", \"kind\": \"open\","), R"(duplicate field "kind" at line 10, column 27)"},
      {edited(example, "\"view_type\": \"compact\",", "\"view_type\": \"compact\", \"view_type\": \"grid\","), R"(duplicate field "view_type" at line 49, column 27)"},
      // chords
      {edited(example, "\"key_code\": 17", "\"key_code\": -1"), R"(invalid value: number -1, expected an unsigned 32-bit integer for "key_code" at line 28, column 19)"},
      {edited(example, "\"key_code\": 17", "\"key_code\": 4294967296"), R"(invalid value: number 4294967296, expected an unsigned 32-bit integer for "key_code" at line 28, column 19)"},
      {edited(example, "\"key_code\": 17", "\"key_code\": 1.5"), R"(invalid value: number 1.5, expected an unsigned 32-bit integer for "key_code" at line 28, column 19)"},
      {edited(example, "\"key_code\": 17", "\"key_code\": 1e1"), R"(invalid value: number 1e1, expected an unsigned 32-bit integer for "key_code" at line 28, column 19)"},
      {edited(example, "\"key_code\": 17", "\"key_code\": -0"), R"(invalid value: number -0, expected an unsigned 32-bit integer for "key_code" at line 28, column 19)"},
      {edited(example, "\"key_code\": 17", "\"key_code\": \"3\""), R"(invalid type: string "3", expected an unsigned 32-bit integer for "key_code" at line 28, column 19)"},
      {edited(example, "\"modifiers\": 2048", "\"modifiers\": null"), R"(invalid type: null, expected an unsigned 32-bit integer for "modifiers" at line 39, column 18)"},
      // variants are case-sensitive
      {edited(example, "\"kind\": \"terminalCommand\"", "\"kind\": \"applescript\""), R"(unknown variant "applescript" for "kind" (expected "appleScript", "command", "terminalCommand", "window" or "app") at line 32, column 17)"},
      {edited(example, "\"kind\": \"window\"", "\"kind\": \"Window\""), R"(unknown variant "Window" for "kind" (expected "appleScript", "command", "terminalCommand", "window" or "app") at line 20, column 17)"},
      {edited(example, "\"moveLeft\"", "\"MoveLeft\""), R"(unknown variant "MoveLeft" for "action" (expected "moveLeft", "moveRight", "moveTop", "moveBottom", "centerHorizontally", "toggleMaximize" or "moveToNextDisplay") at line 21, column 19)"},
      {edited(example, "\"kind\": \"open\"", "\"kind\": \"Open\""), R"(unknown variant "Open" for "kind" (expected "toggle" or "open") at line 10, column 19)"},
      {edited(example, "\"compact\"", "\"Compact\""), R"(unknown variant "Compact" for "view_type" (expected "compact", "grid" or "list") at line 49, column 16)"},
      {edited(example, "\"appearance\": \"system\"", "\"appearance\": \"auto\""), R"(unknown variant "auto" for "appearance" (expected "system", "dark" or "light") at line 50, column 17)"},
      // shapes
      {edited(example, "\"action\": \"moveLeft\"", "\"action\": {\"kind\": \"toggle\"}"), R"(invalid type: object, expected a string for "action" at line 21, column 19)"},
      {edited(example, "\"kind\": \"window\"", "\"kind\": \"app\""), R"(invalid type: string "moveLeft", expected an object for "action" at line 21, column 19)"},
      {edited(example, "\"command\": \"ls -la\"", "\"command\": [\"ls\"]"), R"(invalid type: array, expected a string for "command" at line 33, column 20)"},
      {edited(example, "\"width\": 600.0", "\"width\": \"600\""), R"(invalid type: string "600", expected a number for "width" at line 42, column 14)"},
      {edited(example, "\"added_terminals\": []", "\"added_terminals\": [\"a\", 7]"), R"(invalid type: number 7, expected a string for an element of "added_terminals" at line 52, column 28)"},
      {edited(example, "\"global_keys\": [", "\"global_keys\": [[], "), R"(invalid type: array, expected an object for an element of "global_keys" at line 25, column 19)"},
      {edited(example, "\"sequences\": [", "\"sequences\": {\"a\": ["), R"(invalid type: object, expected an array for "sequences" at line 2, column 16)"},
      {"[]", "invalid type: array, expected an object holding the configuration at line 1, column 1"},
      {"  \"config\"", R"(invalid type: string "config", expected an object holding the configuration at line 1, column 3)"},
      // a broken app action counts once its action is known to be "app"
      {edited(example, "\"kind\": \"open\"", "\"kind\": 1"), R"(invalid type: number 1, expected a string for "kind" at line 10, column 19)"},
      // numbers
      {edited(example, "\"width\": 600.0", "\"width\": 10e308"), R"(invalid value: number 10e308, expected a number within the range of a 64-bit float for "width" at line 42, column 14)"},
      {edited(example, "\"width\": 600.0", "\"width\": 1e400"), R"(number too big to be stored in double for "width" at line 42, column 14)"},
      {edited(example, "\"width\": 600.0", "\"width\": " + std::string(400, '9')), R"(number too big to be stored in double for "width" at line 42, column 14)"},
      {edited(example, "\"width\": 600.0", "\"width\": 600."), R"(missing digits after the decimal point for "width" at line 42, column 18)"},
      // syntax and encoding
      {"", "the document is empty at line 1, column 1"},
      {" \n\t", "the document is empty at line 2, column 2"},
      {std::string(example) + " x", "the document root must not be followed by other values at line 54, column 3"},
      {std::string(example) + "{}", "the document root must not be followed by other values at line 54, column 2"},
      {std::string(example) + std::string("\0", 1), "unexpected NUL byte at line 54, column 2"},
      {edited(example, "\"Safari\"", std::string("\"Saf\0ari\"", 9)), R"(unexpected NUL byte for "description" at line 6, column 26)"},
      {edited(example, "\"Safari\"", "\"Saf\tari\""), R"(unescaped control character in string for "description" at line 6, column 26)"},
      {edited(example, "\"Safari\"", "\"Saf\xff" "ari\""), R"(invalid encoding in string for "description" at line 6, column 26)"},
      {edited(example, "\"Safari\"", "\"Saf\xed\xa0\x80" "ari\""), R"(invalid encoding in string for "description" at line 6, column 26)"},
      {edited(example, "\"Safari\"", "\"Safari\" \xc3\xa9"), R"(missing a comma or '}' after an object member at line 6, column 31)"},
      {edited(example, "\"Safari\"", R"("Saf\ud800ari")"), R"(the surrogate pair in string is invalid for "description" at line 6, column 26)"},
      {edited(example, "\"Safari\"", R"("Saf\udc00ari")"), R"(unpaired surrogate escape in string at line 6, column 22)"},
      {edited(example, "\"keys\"", R"("ke\udc00ys")"), R"(unpaired surrogate escape in member name at line 5, column 7)"},
      {edited(example, "\"main_window\": {", "\"main_window\": {,"), R"(missing a name for object member at line 41, column 19)"},
      // columns count characters, not bytes
      {edited(example, "\"kind\": \"window\"", "\"kind\": \"window\", \"é😀\": 1, \"kind\": 2"), R"(duplicate field "kind" at line 20, column 36)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(refusal(c.text), c.message);
  }
}

TEST(JsonRefusal, AppActionProblemsCountOnlyForAppActions) {
  // Under "kind": "command" an "action" member is not part of the action, so
  // a broken AppAction in it is ignored, wherever "kind" stands.
  const std::string broken = R"("action": {"kind": "launch", "identifier": 3, "kind": "x"})";
  EXPECT_EQ(read(edited(example, R"("command": "ls -la")", R"("command": "ls -la", )" + broken)), read(example));
  EXPECT_EQ(read(edited(example, R"("kind": "terminalCommand",)", broken + R"(, "kind": "terminalCommand",)")), read(example));
  // Under "app" the first problem in it is the one reported, even when "kind"
  // comes last.
  EXPECT_EQ(refusal(edited(example, R"("kind": "terminalCommand",
        "command": "ls -la")", broken + R"(, "kind": "app")")),
            R"(unknown variant "launch" for "kind" (expected "toggle" or "open") at line 32, column 28)");
}

TEST(JsonRoundTrip, EveryVariantIsWrittenAndReadByItsFileName) {
  const std::pair<WindowAction, std::string_view> actions[] = {
      {WindowAction::MoveLeft, "moveLeft"},
      {WindowAction::MoveRight, "moveRight"},
      {WindowAction::MoveTop, "moveTop"},
      {WindowAction::MoveBottom, "moveBottom"},
      {WindowAction::CenterHorizontally, "centerHorizontally"},
      {WindowAction::ToggleMaximize, "toggleMaximize"},
      {WindowAction::MoveToNextDisplay, "moveToNextDisplay"},
  };
  const std::pair<ViewType, std::string_view> views[] = {
      {ViewType::Compact, "compact"}, {ViewType::Grid, "grid"}, {ViewType::List, "list"}};
  const std::pair<Appearance, std::string_view> appearances[] = {
      {Appearance::System, "system"}, {Appearance::Dark, "dark"}, {Appearance::Light, "light"}};
  for (std::size_t i = 0; i < std::size(actions); ++i) {
    const auto [action, action_name] = actions[i];
    const auto [view, view_name] = views[i % 3];
    const auto [appearance, appearance_name_in_file] = appearances[(i + 1) % 3];
    EXPECT_EQ(window_action_name(action), action_name);
    EXPECT_EQ(view_type_name(view), view_name);
    EXPECT_EQ(appearance_name(appearance), appearance_name_in_file);
    Settings s = default_settings();
    s.global_keys.push_back({"g", 17, 6144, "d", {KeyAction::Window{action}}});
    s.view_type = view;
    s.appearance = appearance;
    const std::string text = settings_to_json(s);
    EXPECT_NE(text.find("\"action\": \"" + std::string(action_name) + '"'), std::string::npos);
    EXPECT_EQ(read(text), s);
  }
}

// Settings of every shape survive a write and a read unchanged, and writing
// them again gives the same text.
TEST(JsonRoundTrip, VariedSettingsComeBackEqual) {
  std::mt19937 random(20240611);
  const std::vector<std::string> texts = {"", "w", "term ls", "\"quoted\" \\ back", "line\nbreak\ttab\r\x01\x1f",
                                          "Grüße 日本 😀", std::string("\0nul", 4), "}]{[,:"};
  const std::vector<double> sizes = {0, -0.0, 1, 600, 612.5, 0.1, 1.0 / 3, -1e-300, 5e-324, 1e300,
                                     std::numeric_limits<double>::max(), std::numeric_limits<double>::min()};
  const std::vector<std::uint32_t> numbers = {0, 1, 49, 6144, 0x80000000u, 4294967295u};
  const auto pick = [&](const auto& options) { return options[random() % options.size()]; };
  const auto action = [&]() -> KeyAction {
    switch (random() % 6) {
      case 0: return {KeyAction::AppleScript{pick(texts)}};
      case 1: return {KeyAction::Command{pick(texts)}};
      case 2: return {KeyAction::TerminalCommand{pick(texts)}};
      case 3: return {KeyAction::Window{static_cast<WindowAction>(random() % 7)}};
      case 4: return {KeyAction::App{AppAction{AppAction::Toggle{}}}};
      default: return open_app(pick(texts));
    }
  };
  for (int round = 0; round < 50; ++round) {
    Settings s;
    for (std::size_t i = random() % 5; i > 0; --i) s.sequences.push_back({pick(texts), pick(texts), pick(texts), action()});
    for (std::size_t i = random() % 3; i > 0; --i) {
      s.global_keys.push_back({pick(texts), pick(numbers), pick(numbers), pick(texts), action()});
    }
    s.activation_hotkey = {pick(numbers), pick(numbers)};
    s.main_window = {pick(sizes), pick(sizes)};
    s.settings_window = {pick(sizes), pick(sizes)};
    s.view_type = static_cast<ViewType>(random() % 3);
    s.appearance = static_cast<Appearance>(random() % 3);
    s.terminal = pick(texts);
    for (std::size_t i = random() % 3; i > 0; --i) s.added_terminals.push_back(pick(texts));
    for (std::size_t i = random() % 3; i > 0; --i) s.removed_terminals.push_back(pick(texts));

    const std::string text = settings_to_json(s);
    const auto back = settings_from_json(text);
    ASSERT_TRUE(back) << back.error() << "\n" << text;
    EXPECT_EQ(*back, s) << text;
    EXPECT_EQ(settings_to_json(*back), text);
  }
}

}  // namespace
}  // namespace tavelin
