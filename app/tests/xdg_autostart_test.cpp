#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "platform/linux/posix/XdgAutostartLoginService.hpp"
#include "temp_dir.hpp"

namespace tavelin::app {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using tavelin::testing::read_file;
using tavelin::testing::write_file;

class XdgAutostartTest : public ::testing::Test {
 protected:
  XdgAutostartLoginService service(std::string executable = "/opt/Tavelin/tavelin") {
    return XdgAutostartLoginService("org.tavelin.Tavelin", std::move(executable),
                                    [this](const std::string& name) -> std::optional<std::string> {
                                      auto found = variables.find(name);
                                      if (found == variables.end()) return std::nullopt;
                                      return found->second;
                                    });
  }

  // Puts a hand-written entry where ours goes.
  void place(const std::string& text) {
    fs::create_directories(entry.parent_path());
    write_file(entry, text);
  }

  static std::vector<fs::path> listing(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const auto& item : fs::directory_iterator(folder)) names.push_back(item.path().filename());
    return names;
  }

  tavelin::testing::TempDir tmp;
  fs::path home = tmp / "home";
  std::map<std::string, std::string> variables{{"HOME", home.string()}};
  fs::path entry = home / ".config/autostart/org.tavelin.Tavelin.desktop";
};

TEST_F(XdgAutostartTest, WritesOurEntryAndRemovesIt) {
  // Every character that is special in Exec, inside quotes or as a value.
  auto login = service(R"(/opt/Tavelin Apps/ta"v$el%in\x)");
  EXPECT_EQ(login.status(), LoginServiceStatus::notRegistered);  // not even the folder exists

  ASSERT_TRUE(login.registerLoginItem());
  EXPECT_EQ(login.status(), LoginServiceStatus::enabled);
  const std::string text = read_file(entry);
  EXPECT_THAT(text, StartsWith("[Desktop Entry]\nType=Application\n"));
  EXPECT_THAT(text, HasSubstr("\n" R"(Exec="/opt/Tavelin Apps/ta\\"v\\$el%%in\\\\x")" "\n"));
  EXPECT_THAT(text, HasSubstr("\nX-Tavelin-Autostart=true\n"));

  // A temporary file left by an interrupted write does not get in the way,
  // and none is left behind.
  write_file(entry.string() + ".tmp", "half an entry");
  ASSERT_TRUE(login.registerLoginItem());
  EXPECT_THAT(listing(entry.parent_path()), ElementsAre(entry.filename()));
  EXPECT_EQ(read_file(entry), text);

  ASSERT_TRUE(login.unregisterLoginItem());
  EXPECT_FALSE(fs::exists(entry));
  EXPECT_EQ(login.status(), LoginServiceStatus::notRegistered);
  EXPECT_TRUE(login.unregisterLoginItem());  // nothing left to remove is no failure
}

TEST_F(XdgAutostartTest, TheFolderFollowsTheBaseDirectoryRules) {
  const fs::path own = tmp / "xdg";
  const std::pair<std::optional<std::string>, fs::path> cases[] = {
      {std::nullopt, home / ".config"},
      {"", home / ".config"},
      {"relative/config", home / ".config"},  // only an absolute path counts
      {own.string(), own},
  };
  for (const auto& [configHome, folder] : cases) {
    SCOPED_TRACE(configHome.value_or("(unset)"));
    variables.erase("XDG_CONFIG_HOME");
    if (configHome) variables["XDG_CONFIG_HOME"] = *configHome;
    auto login = service();
    const fs::path expected = folder / "autostart/org.tavelin.Tavelin.desktop";
    EXPECT_EQ(login.entryPath(), expected);
    ASSERT_TRUE(login.registerLoginItem());
    EXPECT_TRUE(fs::is_regular_file(expected));
    ASSERT_TRUE(login.unregisterLoginItem());
  }
}

TEST_F(XdgAutostartTest, OnlyOurSwitchedOnEntryReadsAsEnabled) {
  const std::string ours = "[Desktop Entry]\nType=Application\nExec=/opt/Tavelin/tavelin\nX-Tavelin-Autostart=true\n";
  const std::pair<const char*, std::string> onCases[] = {
      {"ours", ours},
      {"ours, switched on by the desktop", ours + "X-GNOME-Autostart-enabled=true\n"},
      {"ours, spaced and with CRLF", "[Desktop Entry]\r\nX-Tavelin-Autostart = true\r\n"},
      {"ours, Hidden only in another group", ours + "[Desktop Action quit]\nHidden=true\n"},
  };
  const std::pair<const char*, std::string> offCases[] = {
      {"ours, hidden", ours + "Hidden=true\n"},
      {"ours, switched off by the desktop", ours + "X-GNOME-Autostart-enabled=false\n"},
      {"someone else's, pointing at our executable", "[Desktop Entry]\nType=Application\nExec=/opt/Tavelin/tavelin\n"},
      {"marker false", "[Desktop Entry]\nX-Tavelin-Autostart=false\n"},
      {"marker commented out", "[Desktop Entry]\n# X-Tavelin-Autostart=true\n"},
      {"marker in another group", "[Desktop Entry]\nExec=x\n[Desktop Action quit]\nX-Tavelin-Autostart=true\n"},
      {"empty", ""},
  };
  auto login = service();
  for (const auto& [name, text] : onCases) {
    place(text);
    EXPECT_EQ(login.status(), LoginServiceStatus::enabled) << name;
  }
  for (const auto& [name, text] : offCases) {
    place(text);
    EXPECT_EQ(login.status(), LoginServiceStatus::notRegistered) << name;
  }
}

TEST_F(XdgAutostartTest, AnEntryWeDidNotWriteIsKeptUntilWeAreAskedToOpenAtLogin) {
  const std::string theirs = "[Desktop Entry]\nType=Application\nExec=/opt/Tavelin/tavelin --quiet\n";
  place(theirs);
  auto login = service();
  ASSERT_TRUE(login.unregisterLoginItem());
  EXPECT_EQ(read_file(entry), theirs);

  ASSERT_TRUE(login.registerLoginItem());
  EXPECT_EQ(login.status(), LoginServiceStatus::enabled);

  // Our own entry, hidden by the desktop's settings, is turned back on by
  // writing it afresh, and removed when turned off.
  place(read_file(entry) + "Hidden=true\n");
  EXPECT_EQ(login.status(), LoginServiceStatus::notRegistered);
  ASSERT_TRUE(login.registerLoginItem());
  EXPECT_EQ(login.status(), LoginServiceStatus::enabled);
  ASSERT_TRUE(login.unregisterLoginItem());
  EXPECT_FALSE(fs::exists(entry));
}

TEST_F(XdgAutostartTest, FailuresSayWhatAndWhy) {
  struct Case {
    const char* name;
    std::function<void()> setUp;
    std::string message;
  };
  const fs::path autostart = entry.parent_path();
  const Case cases[] = {
      {"the config folder is a file",
       [&] {
         fs::create_directories(home);
         write_file(home / ".config", "");
       },
       "Could not create the autostart folder " + autostart.string() + ": Not a directory."},
      {"a folder holds the entry's name",
       [&] { fs::create_directories(entry / "inside"); },
       "Could not write the autostart entry " + entry.string() + ": Is a directory."},
      {"no home at all", [&] { variables.clear(); },
       "Could not find the autostart folder: neither XDG_CONFIG_HOME nor HOME names an absolute folder."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(home);
    variables = {{"HOME", home.string()}};
    c.setUp();
    auto login = service();
    const auto result = login.registerLoginItem();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), c.message);
    EXPECT_EQ(login.status(), LoginServiceStatus::notRegistered);
    if (fs::is_directory(autostart)) {
      EXPECT_THAT(listing(autostart), ElementsAre(entry.filename()));  // no temporary file left
    }
  }
}

}  // namespace
}  // namespace tavelin::app
