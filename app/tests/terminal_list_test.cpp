// Terminals as the settings list them: the catalogue's facts, the store's
// order, and where the workspace finds each.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <tavelin/store.hpp>

#include "controllers/terminal/Terminal.hpp"
#include "fakes/FakeDesktop.hpp"
#include "temp_dir.hpp"

namespace tavelin::app {
namespace {

using Seen = std::tuple<std::string, std::string, TerminalDriver, bool, std::optional<std::string>>;

Seen seen(const Terminal& terminal) {
  return {terminal.bundleId, terminal.name, terminal.driver, terminal.recognised, terminal.url};
}

TEST(TerminalList, ListsTheStoresTerminalsWithWhereEachIs) {
  tavelin::testing::TempDir home;
  auto store = Store::open(home / "config.json");
  ASSERT_TRUE(store) << store.error().message;
  testing::FakeDesktop desktop;
  desktop.install("com.github.wez.wezterm", "/Applications/WezTerm.app");
  desktop.install("net.kovidgoyal.kitty", "/Applications/kitty.app");
  desktop.install("org.example.Term", "/opt/Example Term.app");
  ASSERT_TRUE(store->add_terminal("org.example.Term"));
  ASSERT_TRUE(store->add_terminal("org.example.Gone"));

  std::vector<Seen> terminals;
  for (const auto& terminal : Terminal::list(*store, desktop)) terminals.push_back(seen(terminal));
  const std::vector<Seen> expected = {
      // The fallback is listed even where it is not installed.
      {"com.apple.Terminal", "Apple Terminal", TerminalDriver::AppleTerminal, true, std::nullopt},
      {"net.kovidgoyal.kitty", "kitty", TerminalDriver::Kitty, true, "/Applications/kitty.app"},
      {"com.github.wez.wezterm", "WezTerm", TerminalDriver::WezTerm, true, "/Applications/WezTerm.app"},
      {"org.example.Term", "Example Term", TerminalDriver::ExecFlag, false, "/opt/Example Term.app"},
      // An application that no longer resolves is named by its id.
      {"org.example.Gone", "org.example.Gone", TerminalDriver::ExecFlag, false, std::nullopt},
  };
  EXPECT_EQ(terminals, expected);
}

TEST(TerminalList, ARecognisedIdInAnyCaseIsTheCataloguesTerminal) {
  testing::FakeDesktop desktop;
  desktop.install("net.kovidgoyal.kitty", "/Applications/kitty.app");
  const Terminal terminal("NET.KovidGoyal.KITTY", desktop);
  EXPECT_EQ(seen(terminal),
            (Seen{"net.kovidgoyal.kitty", "kitty", TerminalDriver::Kitty, true, "/Applications/kitty.app"}));
  EXPECT_TRUE(terminal.isInstalled());
}

// The name comes from the display name of the location, less a trailing
// ".app" that a display name may keep.
TEST(TerminalList, AnotherTerminalIsNamedAfterItsApplication) {
  testing::FakeDesktop desktop;
  desktop.install("org.example.Term", "/opt/Example Term.app");
  const Terminal terminal("org.example.Term", desktop, [](const std::string& path) { return path + " Pro.app"; });
  EXPECT_EQ(terminal.name, "/opt/Example Term.app Pro");
}

}  // namespace
}  // namespace tavelin::app
