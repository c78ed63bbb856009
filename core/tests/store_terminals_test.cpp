#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tavelin/core.hpp>

#include "temp_dir.hpp"

namespace tavelin {
namespace {

using ::testing::ElementsAre;

class StoreTerminalsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto opened = Store::open(dir / "config.json");
    ASSERT_TRUE(opened) << opened.error().message;
    store.emplace(std::move(*opened));
  }

  testing::TempDir dir;
  std::optional<Store> store;
};

TEST_F(StoreTerminalsTest, ListStartsWithTheFallbackAndHoldsTheDefault) {
  EXPECT_THAT(store->terminal_list({}), ElementsAre("com.apple.Terminal"));
  // Found terminals come in catalogue order, in the catalogue's letter case, once each.
  EXPECT_THAT(store->terminal_list({"COM.GITHUB.WEZ.WEZTERM", "net.kovidgoyal.kitty", "org.alacritty",
                                    "com.apple.Terminal", "org.alacritty"}),
              ElementsAre("com.apple.Terminal", "org.alacritty", "net.kovidgoyal.kitty", "com.github.wez.wezterm"));

  ASSERT_TRUE(store->set_default_terminal("  COM.MITCHELLH.GHOSTTY "));
  EXPECT_EQ(store->default_terminal(), "com.mitchellh.ghostty");
  ASSERT_TRUE(store->set_default_terminal("org.example.Term"));
  EXPECT_THAT(store->terminal_list({}), ElementsAre("com.apple.Terminal", "org.example.Term"));
}

TEST_F(StoreTerminalsTest, RemovingAndAddingARecognisedTerminal) {
  ASSERT_TRUE(store->set_default_terminal("net.kovidgoyal.kitty"));
  EXPECT_THAT(store->terminal_list({"net.kovidgoyal.kitty"}), ElementsAre("com.apple.Terminal", "net.kovidgoyal.kitty"));

  auto removed = store->remove_terminal("NET.kovidgoyal.kitty");
  ASSERT_TRUE(removed) << removed.error().message;
  EXPECT_EQ(removed->terminal, "com.apple.Terminal");
  EXPECT_THAT(removed->removed_terminals, ElementsAre("net.kovidgoyal.kitty"));
  EXPECT_THAT(store->terminal_list({"net.kovidgoyal.kitty"}), ElementsAre("com.apple.Terminal"));
  ASSERT_TRUE(store->remove_terminal("net.kovidgoyal.kitty"));
  EXPECT_THAT(store->settings().removed_terminals, ElementsAre("net.kovidgoyal.kitty"));

  auto added = store->add_terminal("net.kovidgoyal.kitty");
  ASSERT_TRUE(added);
  EXPECT_EQ(added->terminal, "net.kovidgoyal.kitty");
  EXPECT_TRUE(added->removed_terminals.empty());
  EXPECT_THAT(added->added_terminals, ElementsAre("net.kovidgoyal.kitty"));
  EXPECT_THAT(store->terminal_list({"net.kovidgoyal.kitty"}), ElementsAre("com.apple.Terminal", "net.kovidgoyal.kitty"));
}

TEST_F(StoreTerminalsTest, BrowsedTerminalsKeepTheirOrderAndLeaveWithoutATrace) {
  ASSERT_TRUE(store->add_terminal("org.example.B"));
  ASSERT_TRUE(store->add_terminal("org.example.A"));
  ASSERT_TRUE(store->add_terminal("ORG.EXAMPLE.B"));  // already there, under another case
  ASSERT_TRUE(store->add_terminal("com.apple.terminal"));  // the fallback is never stored as added
  EXPECT_THAT(store->settings().added_terminals, ElementsAre("org.example.B", "org.example.A"));
  EXPECT_EQ(store->default_terminal(), "com.apple.Terminal");
  EXPECT_THAT(store->terminal_list({}), ElementsAre("com.apple.Terminal", "org.example.B", "org.example.A"));

  auto removed = store->remove_terminal("org.example.b");
  ASSERT_TRUE(removed);
  EXPECT_THAT(removed->added_terminals, ElementsAre("org.example.A"));
  EXPECT_TRUE(removed->removed_terminals.empty());
}

}  // namespace
}  // namespace tavelin
