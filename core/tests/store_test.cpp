#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tavelin/core.hpp>

#include <functional>

#include "temp_dir.hpp"

namespace tavelin {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempDir;
using testing::write_file;
using Kind = CoreError::Kind;

KeySequence sequence(std::string id, std::string keys, std::string description,
                     KeyAction action = {KeyAction::Command{"true"}}) {
  return {std::move(id), std::move(keys), std::move(description), std::move(action)};
}

GlobalKey global_key(std::string id, std::uint32_t key_code, std::uint32_t modifiers, std::string description,
                     KeyAction action = {KeyAction::Command{"true"}}) {
  return {std::move(id), key_code, modifiers, std::move(description), std::move(action)};
}

std::vector<std::string> keys_of(const std::vector<KeySequence>& sequences) {
  std::vector<std::string> keys;
  for (const auto& s : sequences) keys.push_back(s.keys);
  return keys;
}

class StoreTest : public ::testing::Test {
 protected:
  Store open_store() {
    auto store = Store::open(path);
    EXPECT_TRUE(store) << store.error().message;
    return std::move(*store);
  }

  TempDir dir;
  fs::path path = dir / "Tavelin/config.json";
};

TEST_F(StoreTest, OpeningAMissingFileCreatesTheDefaultsInBuildOrder) {
  Store store = open_store();
  EXPECT_TRUE(fs::is_regular_file(path));
  EXPECT_FALSE(fs::exists(dir / "Tavelin/config.json.tmp"));
  EXPECT_THAT(keys_of(store.sequences()),
              ::testing::ElementsAre("c", "f", "m", "n", "s", "e", "qq", "d", "tl", "th", "wh", "wl", "wk", "wj",
                                     "wm", "wc", "wn"));
  EXPECT_EQ(read_file(path), settings_to_json(store.settings()));

  auto again = Store::open(path);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->settings(), store.settings());
  EXPECT_EQ(again->path(), path.string());
}

TEST_F(StoreTest, AFileThatCannotBeReadIsRefusedAndLeftUntouched) {
  struct Case {
    const char* name;
    std::string bytes;
    Kind kind;
    std::string message_prefix;
  };
  const Case cases[] = {
      {"truncated", "{", Kind::Parse, path.string() + " is not a Tavelin config: "},
      {"not utf-8", "{\"sequences\": \"\xff\xfe\"}", Kind::Io,
       "Could not read " + path.string() + ": stream did not contain valid UTF-8"},
      {"empty", "", Kind::Parse, path.string() + " is not a Tavelin config: "},
  };
  fs::create_directories(path.parent_path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_file(path, c.bytes);
    auto store = Store::open(path);
    ASSERT_FALSE(store);
    EXPECT_EQ(store.error().kind, c.kind);
    EXPECT_THAT(store.error().message, ::testing::StartsWith(c.message_prefix));
    EXPECT_EQ(read_file(path), c.bytes);
  }

  fs::remove(path);
  fs::create_directory(path);
  auto store = Store::open(path);
  ASSERT_FALSE(store);
  EXPECT_EQ(store.error(), (CoreError{Kind::Io, "Could not read " + path.string() + ": Is a directory (os error 21)"}));
  EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(StoreTest, EveryRefusalCarriesItsMessageAndChangesNothing) {
  Store store = open_store();
  ASSERT_TRUE(store.upsert_global_key(global_key("g1", 17, control_key | option_key, "List in terminal")));
  const Settings before = store.settings();
  const std::string file_before = read_file(path);

  using Change = std::function<Store::Result(Store&)>;
  struct Case {
    const char* name;
    Change change;
    Kind kind;
    std::string message;
  };
  const KeyAction toggle{KeyAction::App{{AppAction::Toggle{}}}};
  const Case cases[] = {
      {"keys empty after trim", [](Store& s) { return s.upsert_sequence(sequence("n1", " \t ", "")); },
       Kind::Invalid, "A sequence needs at least one key."},
      {"description empty", [](Store& s) { return s.upsert_sequence(sequence("n1", "zz", "\u00a0", {})); },
       Kind::Invalid, "A sequence needs a description."},
      {"command blank",
       [](Store& s) { return s.upsert_sequence(sequence("n1", "a\tb", "Blank", {KeyAction::Command{"   "}})); },
       Kind::Invalid, "The command action has nothing to run."},
      {"script blank",
       [](Store& s) { return s.upsert_sequence(sequence("n1", "zz", "S", {KeyAction::AppleScript{"\n"}})); },
       Kind::Invalid, "The applescript action has nothing to run."},
      {"terminal blank",
       [](Store& s) { return s.upsert_sequence(sequence("n1", "zz", "T", {KeyAction::TerminalCommand{""}})); },
       Kind::Invalid, "The terminal action has nothing to run."},
      {"app blank",
       [](Store& s) {
         return s.upsert_sequence(sequence("n1", "zz", "A", {KeyAction::App{{AppAction::Open{" "}}}}));
       },
       Kind::Invalid, "The app action has nothing to run."},
      {"tab in keys", [](Store& s) { return s.upsert_sequence(sequence("n1", "a\tb", "Tab")); }, Kind::Invalid,
       "'\t' cannot be typed into a sequence."},
      {"euro in keys", [](Store& s) { return s.upsert_sequence(sequence("n1", "a€", "Euro")); }, Kind::Invalid,
       "'€' cannot be typed into a sequence."},
      {"same keys", [](Store& s) { return s.upsert_sequence(sequence("n1", "wh", "Other")); }, Kind::Duplicate,
       "'wh' is already Window: Move Left."},
      {"new keys are a prefix", [](Store& s) { return s.upsert_sequence(sequence("n1", " w ", "W")); },
       Kind::Duplicate, "'w' would fire before 'wc' (Window: Center Horizontally) could be typed."},  // the first in stored order decides
      {"existing keys are a prefix", [](Store& s) { return s.upsert_sequence(sequence("n1", "whx", "X")); },
       Kind::Duplicate, "'wh' (Window: Move Left) would fire before 'whx' could be typed."},
      {"shift alone", [](Store& s) { return s.upsert_global_key(global_key("n2", 0, shift_key, "")); },
       Kind::Invalid,
       "A hotkey must include ⌘, ⌥ or ⌃ — without one it takes an ordinary keystroke away from every app."},
      {"modifier key", [](Store& s) { return s.upsert_global_key(global_key("n2", 58, option_key, "Opt")); },
       Kind::Invalid, "Press a key alongside the modifiers."},
      {"global description empty", [](Store& s) { return s.upsert_global_key(global_key("n2", 0, cmd_key, " ")); },
       Kind::Invalid, "A global key needs a description."},
      {"global payload", [=](Store& s) {
         return s.upsert_global_key(global_key("n2", 0, cmd_key, "P", {KeyAction::Command{"\t"}}));
       },
       Kind::Invalid, "The command action has nothing to run."},
      {"chord taken", [](Store& s) { return s.upsert_global_key(global_key("n2", 17, 6144, "Again")); },
       Kind::Duplicate, "⌃⌥T is already List in terminal."},
      {"activation chord", [=](Store& s) { return s.upsert_global_key(global_key("n2", 49, 2048, "Up", toggle)); },
       Kind::Duplicate, "⌥Space opens the Tavelin window."},
      {"activation without modifier", [](Store& s) { return s.set_activation_hotkey({49, shift_key}); },
       Kind::Invalid,
       "A hotkey must include ⌘, ⌥ or ⌃ — without one it takes an ordinary keystroke away from every app."},
      {"replace with a bad chord",
       [](Store& s) {
         Settings next = default_settings();
         next.activation_hotkey = {56, cmd_key};
         return s.replace(next);
       },
       Kind::Invalid, "Press a key alongside the modifiers."},
      {"main window too narrow", [](Store& s) { return s.set_main_window({299, 400}); }, Kind::Invalid,
       "The main window cannot be smaller than 300×200."},
      {"main window not a number", [](Store& s) { return s.set_main_window({std::nan(""), 400}); },
       Kind::Invalid, "The main window cannot be smaller than 300×200."},
      {"remove missing sequence", [](Store& s) { return s.remove_sequence("nope"); }, Kind::NotFound,
       "That sequence is no longer in the config."},
      {"remove missing global key", [](Store& s) { return s.remove_global_key("nope"); }, Kind::NotFound,
       "That global key is no longer in the config."},
      {"empty bundle id", [](Store& s) { return s.add_terminal("   "); }, Kind::Invalid,
       "A terminal is found by its bundle id, and this one is empty."},
      {"bundle id with a space", [](Store& s) { return s.set_default_terminal(" my term "); }, Kind::Invalid,
       "\"my term\" is not a bundle id — they never contain spaces."},
      {"removing the fallback", [](Store& s) { return s.remove_terminal("com.apple.terminal"); }, Kind::Invalid,
       "Apple Terminal stays on the list: it is the fallback, where terminal actions go when the default "
       "terminal is missing."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto result = c.change(store);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), (CoreError{c.kind, c.message}));
    EXPECT_EQ(store.settings(), before);
    EXPECT_EQ(read_file(path), file_before);
  }
}

TEST_F(StoreTest, ChangesAreTrimmedSortedAndKeepTheirOwnId) {
  Store store = open_store();
  auto saved = store.upsert_sequence(sequence("new", "  zq ", " Left ", {KeyAction::Command{" date "}}));
  ASSERT_TRUE(saved) << saved.error().message;
  const auto& stored = *std::ranges::find(saved->sequences, std::string("new"), &KeySequence::id);
  EXPECT_EQ(stored.keys, "zq");
  EXPECT_EQ(stored.description, "Left");
  EXPECT_EQ(stored.action, (KeyAction{KeyAction::Command{" date "}}));  // the payload is stored as given

  // Editing "wh" into "wx" under its own id conflicts with nothing.
  KeySequence left = *std::ranges::find(saved->sequences, std::string("wh"), &KeySequence::keys);
  left.keys = "wx";
  saved = store.upsert_sequence(left);
  ASSERT_TRUE(saved) << saved.error().message;
  EXPECT_EQ(saved->sequences.size(), 18u);
  ASSERT_TRUE(store.upsert_sequence(sequence("é", "wé", "Accented")));
  ASSERT_TRUE(store.upsert_sequence(sequence("W", "Wh", "Capital")));

  const auto keys = keys_of(store.sequences());
  EXPECT_TRUE(std::ranges::is_sorted(keys)) << ::testing::PrintToString(keys);
  EXPECT_EQ(keys.front(), "Wh");  // byte order: capitals first
  EXPECT_EQ(keys.back(), "zq");   // "wé" sorts after "wx" by its UTF-8 bytes
  EXPECT_EQ(keys[keys.size() - 2], "wé");

  ASSERT_TRUE(store.upsert_global_key(global_key("b", 1, cmd_key, "beta")));
  ASSERT_TRUE(store.upsert_global_key(global_key("a", 2, cmd_key, "Alpha")));
  ASSERT_TRUE(store.upsert_global_key(global_key("c", 3, cmd_key, "ÉCLAIR")));
  ASSERT_TRUE(store.upsert_global_key(global_key("d", 4, cmd_key, "alpha")));
  std::vector<std::string> ids;
  for (const auto& k : store.global_keys()) ids.push_back(k.id);
  EXPECT_THAT(ids, ::testing::ElementsAre("a", "d", "b", "c"));  // stable among equals, "é" after "b"

  auto reread = Store::open(path);
  ASSERT_TRUE(reread);
  EXPECT_EQ(reread->settings(), store.settings());
}

TEST_F(StoreTest, ReloadTakesAHandEditedFileInItsOwnOrder) {
  Store store = open_store();
  Settings edited = store.settings();
  std::ranges::reverse(edited.sequences);
  edited.sequences.push_back(sequence("hand", "w", "Hand-made prefix"));  // the store would refuse this
  write_file(path, settings_to_json(edited));

  auto reloaded = store.reload();
  ASSERT_TRUE(reloaded);
  EXPECT_EQ(*reloaded, edited);
  EXPECT_EQ(store.settings(), edited);

  write_file(path, "{ not json");
  EXPECT_FALSE(store.reload());
  EXPECT_EQ(store.settings(), edited);
}

TEST_F(StoreTest, ResetAndClear) {
  Store store = open_store();
  ASSERT_TRUE(store.set_main_window({800, 500}));
  ASSERT_TRUE(store.set_settings_window({1.5, 2.25}));
  ASSERT_TRUE(store.set_view_type(ViewType::Grid));
  ASSERT_TRUE(store.set_appearance(Appearance::Dark));
  ASSERT_TRUE(store.add_terminal("net.kovidgoyal.kitty"));
  ASSERT_TRUE(store.upsert_global_key(global_key("g", 0, cmd_key, "A")));

  auto cleared = store.clear_bindings();
  ASSERT_TRUE(cleared);
  EXPECT_TRUE(cleared->sequences.empty());
  EXPECT_TRUE(cleared->global_keys.empty());
  EXPECT_EQ(cleared->view_type, ViewType::Grid);
  EXPECT_EQ(cleared->terminal, "net.kovidgoyal.kitty");

  auto reset = store.reset_to_defaults();
  ASSERT_TRUE(reset);
  Settings expected = default_settings();
  EXPECT_EQ(reset->main_window, expected.main_window);
  EXPECT_EQ(reset->settings_window, expected.settings_window);
  EXPECT_EQ(reset->view_type, ViewType::Compact);
  EXPECT_EQ(reset->appearance, Appearance::System);
  EXPECT_EQ(reset->terminal, "com.apple.Terminal");
  EXPECT_TRUE(reset->added_terminals.empty());
  EXPECT_TRUE(std::ranges::is_sorted(keys_of(reset->sequences)));
  EXPECT_EQ(reset->sequences.size(), 17u);
  EXPECT_TRUE(store.set_main_window({300, 200}));
}

TEST_F(StoreTest, ExportWritesThroughItsOwnTemporaryFileAndImportOnlyPreviews) {
  Store store = open_store();
  const fs::path backup = dir / "x/backup.txt";
  ASSERT_TRUE(store.export_to(backup));
  EXPECT_EQ(read_file(backup), settings_to_json(store.settings()));
  EXPECT_FALSE(fs::exists(dir / "x/backup.json.tmp"));

  // With its temporary path taken by a folder the export cannot even begin,
  // which shows the name it writes through.
  fs::create_directories(dir / "x/backup.json.tmp");
  auto blocked = store.export_to(backup);
  ASSERT_FALSE(blocked);
  EXPECT_EQ(blocked.error().message,
            "Could not write " + (dir / "x/backup.json.tmp").string() + ": Is a directory (os error 21)");

  Settings other = default_settings();
  other.terminal = "org.alacritty";
  write_file(dir / "other.json", settings_to_json(other));
  auto preview = store.preview_import(dir / "other.json");
  ASSERT_TRUE(preview);
  EXPECT_EQ(*preview, other);
  EXPECT_EQ(store.default_terminal(), "com.apple.Terminal");
  ASSERT_TRUE(store.replace(*preview));
  EXPECT_EQ(store.default_terminal(), "org.alacritty");

  auto missing = store.preview_import(dir / "none.json");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().message,
            "Could not read " + (dir / "none.json").string() + ": No such file or directory (os error 2)");
}

TEST_F(StoreTest, AFailedRenameLeavesThePreviousConfiguration) {
  Store store = open_store();
  const Settings before = store.settings();
  fs::remove(path);
  fs::create_directories(path / "inside");

  auto result = store.set_view_type(ViewType::List);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error(), (CoreError{Kind::Io, "Could not save " + path.string() + ": Is a directory (os error 21)"}));
  EXPECT_EQ(store.settings(), before);
  EXPECT_TRUE(fs::is_directory(path / "inside"));
}

TEST_F(StoreTest, AFolderThatCannotBeCreatedIsReported) {
  write_file(dir / "file", "x");
  const fs::path blocked = dir / "file/sub/config.json";
  auto store = Store::open(blocked);
  ASSERT_FALSE(store);
  EXPECT_EQ(store.error(),
            (CoreError{Kind::Io, "Could not create " + (dir / "file/sub").string() + ": Not a directory (os error 20)"}));
}

TEST_F(StoreTest, ALinkedConfigurationKeepsItsLink) {
  const fs::path real = dir / "dotfiles/tavelin.json";
  fs::create_directories(real.parent_path());
  write_file(real, settings_to_json(default_settings()));
  fs::create_directories(path.parent_path());
  fs::create_symlink("../dotfiles/tavelin.json", path);

  Store store = open_store();
  ASSERT_TRUE(store.set_view_type(ViewType::Grid));
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ(read_file(real), settings_to_json(store.settings()));
}

TEST(StorePaths, DefaultPathFollowsHome) {
  const char* saved = std::getenv("HOME");
  const std::string restore = saved ? saved : "";
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(config_path(), "/home/someone/Library/Application Support/Tavelin/config.json");
  ::setenv("HOME", "/home/\xff", 1);
  EXPECT_EQ(config_path(), "./Library/Application Support/Tavelin/config.json");
  ::unsetenv("HOME");
  EXPECT_EQ(config_path(), "./Library/Application Support/Tavelin/config.json");
  if (saved) ::setenv("HOME", restore.c_str(), 1);
  EXPECT_EQ(core_version(), "2.7.1");
}

}  // namespace
}  // namespace tavelin
