#include "text.hpp"

#include <gtest/gtest.h>

#include <tavelin/lib.hpp>

#include <regex>
#include <set>

namespace tavelin {
namespace {

TEST(Text, TrimsUnicodeWhiteSpaceOnly) {
  EXPECT_EQ(text::trim("  wh "), "wh");
  EXPECT_EQ(text::trim("\u00a0\u2003x y\u3000\t\n"), "x y");
  EXPECT_EQ(text::trim(" \t "), "");
  EXPECT_EQ(text::trim("\u200bx"), "\u200bx");  // zero width space is not White_Space
}

TEST(Text, WalksCharactersNotBytes) {
  EXPECT_EQ(text::character_count("aé€😀"), 4u);
  EXPECT_EQ(text::first_characters("aé€😀", 2), "aé");
  EXPECT_EQ(text::last_character_start("aé"), 1u);
  EXPECT_EQ(text::last_character_start("a\xff"), 1u);
  EXPECT_EQ(text::last_character_start("a\xc3"), 1u);  // a lone lead byte stands alone
}

TEST(Text, RefusesMalformedUtf8) {
  EXPECT_TRUE(text::is_valid_utf8("wé€😀"));
  for (const char* bad : {"\xff", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
    EXPECT_FALSE(text::is_valid_utf8(bad)) << bad;
  }
}

TEST(Text, LowercasesWithTheDefaultMapping) {
  EXPECT_EQ(text::lowercase("ÉCOLE Straße"), "école straße");
  EXPECT_EQ(text::lowercase("İ"), "i\u0307");  // full mapping, not locale-tailored
}

TEST(Identifiers, AreFreshLowerCaseVersion4Uuids) {
  const std::regex form("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    const auto id = new_identifier();
    EXPECT_TRUE(std::regex_match(id, form)) << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 200u);
}

}  // namespace
}  // namespace tavelin
