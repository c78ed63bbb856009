#include <gtest/gtest.h>

#include <tavelin/terminal.hpp>

namespace tavelin {
namespace {

TEST(TerminalCatalogue, ListsTheFallbackFirstThenByName) {
  using D = TerminalDriver;
  const std::vector<TerminalOption> expected = {
      {"Apple Terminal", "com.apple.Terminal", D::AppleTerminal},
      {"Alacritty", "org.alacritty", D::Alacritty},
      {"Ghostty", "com.mitchellh.ghostty", D::ExecFlag},
      {"iTerm2", "com.googlecode.iterm2", D::ITerm},
      {"kitty", "net.kovidgoyal.kitty", D::Kitty},
      {"Rio", "com.raphaelamorim.rio", D::ExecFlag},
      {"WezTerm", "com.github.wez.wezterm", D::WezTerm},
  };
  EXPECT_EQ(terminal_options(), expected);
  EXPECT_EQ(fallback_terminal(), "com.apple.Terminal");
}

TEST(TerminalCatalogue, BundleIdsFoldAsciiCaseOnly) {
  const struct {
    std::string_view a, b;
    bool same;
  } cases[] = {
      {"com.apple.Terminal", "COM.APPLE.TERMINAL", true},
      {"org.alacritty", "org.alacritty", true},
      {"", "", true},
      {"org.alacritty", "org.alacritty ", false},  // nothing is trimmed
      {" org.alacritty", "org.alacritty", false},
      {"org.alacritty", "org.alacritt", false},
      {"a.É", "a.é", false},  // only A to Z fold
      {"a.[", "a.{", false},  // bytes that differ by 32 but are not letters
      {"a.@", "a.`", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(same_bundle_id(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(same_bundle_id(c.b, c.a), c.same) << c.b << " / " << c.a;
  }
}

TEST(TerminalCatalogue, RecognisesIdsInAnyAsciiCase) {
  const auto iterm = recognised_terminal("COM.GOOGLECODE.ITERM2");
  ASSERT_TRUE(iterm.has_value());
  EXPECT_EQ(iterm->name, "iTerm2");
  EXPECT_EQ(iterm->bundle_id, "com.googlecode.iterm2");  // the catalogue's spelling
  EXPECT_EQ(recognised_terminal(" com.googlecode.iterm2"), std::nullopt);
  EXPECT_EQ(recognised_terminal("com.googlecode"), std::nullopt);

  EXPECT_EQ(terminal_driver("org.alacritty"), TerminalDriver::Alacritty);
  EXPECT_EQ(terminal_driver("Com.Apple.terminal"), TerminalDriver::AppleTerminal);
  EXPECT_EQ(terminal_driver("NET.kovidgoyal.KITTY"), TerminalDriver::Kitty);
  EXPECT_EQ(terminal_driver("com.github.wez.wezterm"), TerminalDriver::WezTerm);
  EXPECT_EQ(terminal_driver("x.y.z"), TerminalDriver::ExecFlag);
  EXPECT_EQ(terminal_driver(""), TerminalDriver::ExecFlag);
}

}  // namespace
}  // namespace tavelin
