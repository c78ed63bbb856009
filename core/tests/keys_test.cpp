#include <gtest/gtest.h>

#include <map>
#include <tavelin/keys.hpp>

namespace tavelin {
namespace {

// The one hundred named keys; this table is the behaviour.
const std::map<std::uint32_t, std::string_view> named_keys = {
    {0, "A"}, {1, "S"}, {2, "D"}, {3, "F"}, {4, "H"}, {5, "G"}, {6, "Z"}, {7, "X"}, {8, "C"},
    {9, "V"}, {11, "B"}, {12, "Q"}, {13, "W"}, {14, "E"}, {15, "R"}, {16, "Y"}, {17, "T"},
    {31, "O"}, {32, "U"}, {34, "I"}, {35, "P"}, {37, "L"}, {38, "J"}, {40, "K"}, {45, "N"},
    {46, "M"},
    {18, "1"}, {19, "2"}, {20, "3"}, {21, "4"}, {22, "6"}, {23, "5"}, {25, "9"}, {26, "7"},
    {28, "8"}, {29, "0"},
    {24, "="}, {27, "-"}, {30, "]"}, {33, "["}, {39, "'"}, {41, ";"}, {43, ","}, {44, "/"},
    {47, "."}, {50, "`"}, {42, "\\"},
    {36, "Return"}, {48, "Tab"}, {49, "Space"}, {51, "Delete"}, {53, "Esc"}, {114, "Help"},
    {115, "Home"}, {116, "Page Up"}, {117, "Fwd Del"}, {119, "End"}, {121, "Page Down"},
    {123, "←"}, {124, "→"}, {125, "↓"}, {126, "↑"},
    {122, "F1"}, {120, "F2"}, {99, "F3"}, {118, "F4"}, {96, "F5"}, {97, "F6"}, {98, "F7"},
    {100, "F8"}, {101, "F9"}, {109, "F10"}, {103, "F11"}, {111, "F12"}, {105, "F13"},
    {107, "F14"}, {113, "F15"}, {106, "F16"}, {64, "F17"}, {79, "F18"}, {80, "F19"},
    {90, "F20"},
    {65, "Numpad ."}, {67, "Numpad *"}, {69, "Numpad +"}, {71, "Numpad Clear"},
    {75, "Numpad /"}, {76, "Numpad Enter"}, {78, "Numpad -"}, {81, "Numpad ="},
    {82, "Numpad 0"}, {83, "Numpad 1"}, {84, "Numpad 2"}, {85, "Numpad 3"}, {86, "Numpad 4"},
    {87, "Numpad 5"}, {88, "Numpad 6"}, {89, "Numpad 7"}, {91, "Numpad 8"}, {92, "Numpad 9"},
};

TEST(Keys, LabelsExactlyTheNamedCodes) {
  ASSERT_EQ(named_keys.size(), 100u);  // guards the table above against a typo'd duplicate
  for (std::uint32_t code = 0; code <= 200; ++code) {
    const auto expected = named_keys.find(code);
    if (expected == named_keys.end()) {
      EXPECT_EQ(key_label(code), std::nullopt) << code;
    } else {
      EXPECT_EQ(key_label(code), expected->second) << code;
    }
  }
  EXPECT_EQ(key_label(0xFFFFFFFFu), std::nullopt);
}

TEST(Keys, DisplaysModifiersInFixedOrderThenTheKey) {
  const struct {
    std::uint32_t key_code, modifiers;
    std::string_view shown;
  } cases[] = {
      {49, 2048, "⌥Space"},
      {17, 6144, "⌃⌥T"},
      {12, 4864, "⌃⇧⌘Q"},
      {10, 256, "⌘Key 10"},
      {49, 0, "Space"},
      {0, 0xFFFFFFFFu, "⌃⌥⇧⌘A"},  // every other bit is ignored
      {0, 1024, "A"},             // alpha lock is not shown
      {42, 4096, "⌃\\"},
      {4000000000u, 256, "⌘Key 4000000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hotkey_display(c.key_code, c.modifiers), c.shown) << c.key_code << " " << c.modifiers;
  }
}

TEST(Keys, ModifierKeysAreCodes55To62) {
  for (std::uint32_t code = 0; code <= 200; ++code) {
    EXPECT_EQ(is_modifier_key(code), code >= 55 && code <= 62) << code;
  }
}

TEST(Keys, RequiresCommandOptionOrControl) {
  EXPECT_TRUE(has_required_modifier(256));
  EXPECT_TRUE(has_required_modifier(2048));
  EXPECT_TRUE(has_required_modifier(4096));
  EXPECT_TRUE(has_required_modifier(512 | 256));
  EXPECT_FALSE(has_required_modifier(0));
  EXPECT_FALSE(has_required_modifier(512));         // ⇧ alone still types text
  EXPECT_FALSE(has_required_modifier(512 | 1024));  // nor does caps lock
  EXPECT_FALSE(has_required_modifier(~(256u | 2048u | 4096u)));
}

TEST(Keys, ChecksTheModifierRuleBeforeTheKey) {
  const std::string no_modifier =
      "A hotkey must include ⌘, ⌥ or ⌃ — without one it takes an ordinary keystroke away from "
      "every app.";
  const std::string modifier_key = "Press a key alongside the modifiers.";
  const struct {
    std::uint32_t key_code, modifiers;
    std::optional<std::string> refusal;
  } cases[] = {
      {58, 2048, modifier_key},  // ⌥ with the Option key itself
      {55, 256, modifier_key},
      {62, 4096, modifier_key},
      {58, 0, no_modifier},  // both faults: the modifier rule speaks first
      {0, 512, no_modifier},
      {54, 256, std::nullopt},  // right ⌘ is an ordinary key here
      {63, 2048, std::nullopt},
      {49, 2048, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto result = check_hotkey(c.key_code, c.modifiers);
    if (c.refusal) {
      ASSERT_FALSE(result.has_value()) << c.key_code << " " << c.modifiers;
      EXPECT_EQ(result.error(), (CoreError{CoreError::Kind::Invalid, *c.refusal}));
    } else {
      EXPECT_TRUE(result.has_value()) << c.key_code << " " << c.modifiers;
    }
  }
}

}  // namespace
}  // namespace tavelin
