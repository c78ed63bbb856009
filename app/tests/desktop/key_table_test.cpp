#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include <tavelin/config.hpp>
#include <tavelin/keys.hpp>

#include "platform/linux/x11/KeyTable.hpp"
#include "x11/XcbClient.hpp"
#include "x11/XvfbSession.hpp"

namespace tavelin::app {

// Shown by gtest when a KeyEvent comparison fails.
static void PrintTo(const KeyEvent& event, std::ostream* out) {
  *out << "{" << event.keyCode << ", " << event.modifiers << ", \"" << event.characters << "\", \""
       << event.charactersIgnoringModifiers << "\"}";
}

namespace testing {
namespace {

constexpr std::uint32_t kUnknown = KeyTable::unknownKeyCode;

// Every key with a label, and the modifier keys, has a keysym that leads back
// to it; the label says which key it has to be.
TEST(KeyTable, EveryNamedKeyRoundTripsThroughTheKeysymItsLabelNames) {
  // The keys whose label is a word rather than the character they type.
  const std::pair<std::uint32_t, xcb_keysym_t> named[] = {
      {36, XK_Return},  {48, XK_Tab},         {49, XK_space},     {51, XK_BackSpace}, {53, XK_Escape},
      {114, XK_Insert}, {115, XK_Home},       {116, XK_Prior},    {117, XK_Delete},   {119, XK_End},
      {121, XK_Next},   {123, XK_Left},       {124, XK_Right},    {125, XK_Down},     {126, XK_Up},
      {71, XK_Num_Lock}, {76, XK_KP_Enter},   {54, XK_Super_R},   {55, XK_Super_L},   {56, XK_Shift_L},
      {57, XK_Caps_Lock}, {58, XK_Alt_L},     {59, XK_Control_L}, {60, XK_Shift_R},   {61, XK_Alt_R},
      {62, XK_Control_R},
  };
  for (std::uint32_t code = 0; code < 256; ++code) {
    SCOPED_TRACE(code);
    const auto label = key_label(code);
    const bool modifierKey = is_modifier_key(code) || code == 54;
    const auto keysym = KeyTable::keysym(code);
    ASSERT_EQ(keysym.has_value(), label.has_value() || modifierKey);
    if (!keysym) continue;
    EXPECT_EQ(KeyTable::keyCode(*keysym), code);

    const std::string text = label ? std::string(*label) : "";
    const std::string typed = KeyTable::characters(*keysym);
    if (text.size() == 1) {  // a letter, digit or punctuation mark; letters are labelled in capitals
      EXPECT_EQ(typed, std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])))));
    } else if (text.starts_with("Numpad ") && text.size() == 8) {
      EXPECT_EQ(typed, text.substr(7));
    } else if (text.size() >= 2 && text[0] == 'F' && std::isdigit(static_cast<unsigned char>(text[1]))) {
      EXPECT_EQ(*keysym, XK_F1 + static_cast<xcb_keysym_t>(std::stoi(text.substr(1)) - 1));
    } else {
      auto found = std::ranges::find(named, code, &std::pair<std::uint32_t, xcb_keysym_t>::first);
      ASSERT_NE(found, std::end(named)) << "no expectation for \"" << text << "\"";
      EXPECT_EQ(*keysym, found->second);
    }
  }
}

TEST(KeyTable, OtherNamesOfAKeyReadAsThatKeyAndUnknownKeysAsNone) {
  const std::pair<xcb_keysym_t, std::optional<std::uint32_t>> cases[] = {
      {XK_T, 17},          {XK_A, 0},           {XK_KP_Home, 89},       {XK_KP_Insert, 82},
      {XK_KP_Delete, 65},  {XK_KP_Begin, 87},   {XK_KP_Prior, 92},      {XK_Clear, 71},
      {XK_Help, 114},      {XK_ISO_Left_Tab, 48}, {XK_ISO_Level3_Shift, 61},
      {XK_F21, std::nullopt}, {XK_section, std::nullopt}, {XK_Print, std::nullopt}, {0, std::nullopt},
  };
  for (const auto& [keysym, code] : cases) EXPECT_EQ(KeyTable::keyCode(keysym), code) << std::hex << keysym;
}

TEST(KeyTable, ModifiersMapBothWays) {
  const std::pair<std::uint32_t, std::uint16_t> pairs[] = {
      {control_key, XCB_MOD_MASK_CONTROL},
      {option_key, XCB_MOD_MASK_1},
      {shift_key, XCB_MOD_MASK_SHIFT},
      {cmd_key, XCB_MOD_MASK_4},
      {control_key | option_key | shift_key | cmd_key,
       XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4},
  };
  for (const auto& [carbon, x] : pairs) {
    EXPECT_EQ(KeyTable::xModifiers(carbon), x) << carbon;
    EXPECT_EQ(KeyTable::carbonModifiers(x), carbon) << x;
  }
  // Caps lock is no part of a chord, but a press reports it.
  EXPECT_EQ(KeyTable::xModifiers(alpha_lock | 1 | 128 | 0x10000), 0);
  EXPECT_EQ(KeyTable::carbonModifiers(XCB_MOD_MASK_LOCK), alpha_lock);
  // NumLock's Mod2, Mod3, AltGr's Mod5, a mouse button and the layout group.
  EXPECT_EQ(KeyTable::carbonModifiers(XCB_MOD_MASK_2 | XCB_MOD_MASK_3 | XCB_MOD_MASK_5 | XCB_KEY_BUT_MASK_BUTTON_1 | 0x6000),
            0u);
}

TEST(KeyTable, KeyPressesBecomeKeyEvents) {
  constexpr std::uint16_t shift = XCB_MOD_MASK_SHIFT, lock = XCB_MOD_MASK_LOCK, control = XCB_MOD_MASK_CONTROL,
                          alt = XCB_MOD_MASK_1, super = XCB_MOD_MASK_4, numLock = XCB_MOD_MASK_2;
  struct Case {
    KeyTable::KeySymbols symbols;
    std::uint16_t state;
    KeyEvent expected;
  };
  const Case cases[] = {
      {{XK_t, XK_T}, 0, {17, 0, "t", "t"}},
      {{XK_t, XK_T}, shift, {17, shift_key, "T", "t"}},
      {{XK_t, XK_T}, lock, {17, alpha_lock, "T", "t"}},
      {{XK_t, XK_T}, shift | lock, {17, shift_key | alpha_lock, "T", "t"}},
      {{XK_w, XK_W}, control, {13, control_key, "\x17", "w"}},
      {{XK_t, XK_T}, control | alt | numLock, {17, control_key | option_key, "\x14", "t"}},
      {{XK_q, XK_Q}, super, {12, cmd_key, "q", "q"}},
      {{XK_1, XK_exclam}, shift, {18, shift_key, "!", "1"}},
      {{XK_grave, XK_asciitilde}, shift, {50, shift_key, "~", "`"}},
      {{XK_minus, XK_underscore}, control, {27, control_key, "-", "-"}},
      // the keypad types digits with NumLock on, and moves without it
      {{XK_KP_End, XK_KP_1}, numLock, {83, 0, "1", "1"}},
      {{XK_KP_End, XK_KP_1}, numLock | shift, {83, shift_key, "", "1"}},
      {{XK_KP_End, XK_KP_1}, 0, {83, 0, "", ""}},
      {{XK_KP_Add, XK_KP_Add}, 0, {69, 0, "+", "+"}},
      {{XK_BackSpace, 0}, 0, {51, 0, "\x7f", "\x7f"}},
      {{XK_Return, 0}, shift, {36, shift_key, "\r", "\r"}},
      {{XK_Escape, 0}, 0, {53, 0, "\x1b", "\x1b"}},
      {{XK_Up, 0}, 0, {126, 0, "", ""}},
      {{XK_F5, 0}, super, {96, cmd_key, "", ""}},
      // a modifier key's own press counts it as held
      {{XK_Control_L, 0}, 0, {59, control_key, "", ""}},
      {{XK_Shift_L, 0}, control, {56, control_key | shift_key, "", ""}},
      {{XK_Caps_Lock, 0}, 0, {57, 0, "", ""}},
      // keys of other layouts: text without a key code
      {{XK_eacute, XK_Eacute}, lock, {kUnknown, alpha_lock, "É", "é"}},
      {{XK_EuroSign, 0}, 0, {kUnknown, 0, "€", "€"}},
      {{0x1000431, 0x1000411}, shift, {kUnknown, shift_key, "Б", "б"}},
      {{0, 0}, 0, {kUnknown, 0, "", ""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeyTable::keyEvent(c.symbols, c.state, numLock), c.expected)
        << std::hex << c.symbols.unshifted << " state " << c.state;
  }
}

// The same from a real keyboard's keycodes, with NumLock found where this
// server's modifier map puts it.
TEST(KeyTable, ReadsKeyPressesOffTheServersKeymap) {
  XvfbSession session(XvfbSession::Options{.windowManager = false});
  ASSERT_TRUE(session.ok()) << session.reason();
  XcbClient client(session.display());
  ASSERT_TRUE(client.ok());
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(client.connection());
  const std::uint16_t numLock = KeyTable::modifierMask(client.connection(), symbols, XK_Num_Lock);
  EXPECT_EQ(numLock, XCB_MOD_MASK_2);
  EXPECT_EQ(KeyTable::modifierMask(client.connection(), symbols, XK_F20), 0);

  const struct {
    xcb_keysym_t key;
    std::uint16_t state;
    KeyEvent expected;
  } cases[] = {
      {XK_t, XCB_MOD_MASK_SHIFT, {17, shift_key, "T", "t"}},
      {XK_Escape, 0, {53, 0, "\x1b", "\x1b"}},
      {XK_KP_End, numLock, {83, 0, "1", "1"}},
      {XK_KP_End, 0, {83, 0, "", ""}},
  };
  for (const auto& c : cases) {
    const auto keycodes = client.keycodes(c.key);
    ASSERT_FALSE(keycodes.empty()) << std::hex << c.key;
    EXPECT_EQ(KeyTable::keyEvent(symbols, keycodes.front(), c.state, numLock), c.expected) << std::hex << c.key;
  }
  xcb_key_symbols_free(symbols);
}

}  // namespace
}  // namespace testing
}  // namespace tavelin::app
