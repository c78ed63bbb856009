#include <fcntl.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "desktop/TestApplications.hpp"
#include "platform/linux/gio/DesktopEntries.hpp"
#include "x11/XvfbSession.hpp"

namespace tavelin::app::testing {
namespace {

namespace fs = std::filesystem;

extern "C" char** environ;

// A file manager on a private session bus: a dbus-daemon of its own, and
// org.freedesktop.FileManager1 served from a thread with its own main loop,
// recording what it was asked to show.
class FakeFileManager {
 public:
  explicit FakeFileManager(const fs::path& folder) : address_("unix:path=" + (folder / "bus").string()) {
    fs::create_directories(folder);
    const std::string listen = "--address=" + address_;
    std::vector<char*> argv{const_cast<char*>("dbus-daemon"),  const_cast<char*>("--session"),
                            const_cast<char*>("--nofork"),     const_cast<char*>("--nopidfile"),
                            const_cast<char*>(listen.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&daemon_, "dbus-daemon", &actions, nullptr, argv.data(), environ) != 0) daemon_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (daemon_ <= 0 || !XvfbSession::waitUntil([&] { return fs::exists(folder / "bus"); })) return;
    server_ = std::thread([this] { serve(); });
    XvfbSession::waitUntil([&] { return ready(); });
  }

  ~FakeFileManager() {
    if (server_.joinable()) {
      XvfbSession::waitUntil([&] {
        std::lock_guard lock(mutex_);
        return loop_ != nullptr || failed_;
      });
      {
        std::lock_guard lock(mutex_);
        if (loop_ != nullptr) g_main_loop_quit(loop_);
      }
      server_.join();
    }
    if (daemon_ > 0) {
      ::kill(daemon_, SIGTERM);
      ::waitpid(daemon_, nullptr, 0);
    }
  }

  const std::string& address() const { return address_; }
  bool ready() {
    std::lock_guard lock(mutex_);
    return owned_;
  }
  std::vector<std::string> shown() {
    std::lock_guard lock(mutex_);
    return shown_;
  }

 private:
  static void call(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                   GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
    auto& manager = *static_cast<FakeFileManager*>(self);
    if (std::string(method) == "ShowItems") {
      gchar** uris = nullptr;
      const gchar* startup = nullptr;
      g_variant_get(parameters, "(^as&s)", &uris, &startup);
      std::lock_guard lock(manager.mutex_);
      for (gchar** uri = uris; uri != nullptr && *uri != nullptr; ++uri) manager.shown_.push_back(*uri);
      g_strfreev(uris);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
  }

  void serve() {
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(address_.c_str(), flags, nullptr, nullptr, nullptr);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
        "<node><interface name='org.freedesktop.FileManager1'><method name='ShowItems'>"
        "<arg type='as' name='uris' direction='in'/><arg type='s' name='startupId' direction='in'/>"
        "</method></interface></node>",
        nullptr);
    const GDBusInterfaceVTable table{call, nullptr, nullptr, {}};
    GMainLoop* loop = g_main_loop_new(context, FALSE);
    bool owned = false;
    if (bus != nullptr && node != nullptr &&
        g_dbus_connection_register_object(bus, "/org/freedesktop/FileManager1", node->interfaces[0], &table, this,
                                          nullptr, nullptr) != 0) {
      GVariant* reply =
          g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                      "RequestName", g_variant_new("(su)", "org.freedesktop.FileManager1", 4u), nullptr,
                                      G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
      owned = reply != nullptr;
      if (reply != nullptr) g_variant_unref(reply);
    }
    {
      std::lock_guard lock(mutex_);
      owned_ = owned;
      failed_ = !owned;
      if (owned) loop_ = loop;
    }
    if (owned) g_main_loop_run(loop);
    g_main_loop_unref(loop);
    if (node != nullptr) g_dbus_node_info_unref(node);
    if (bus != nullptr) {
      g_dbus_connection_close_sync(bus, nullptr, nullptr);
      g_object_unref(bus);
    }
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
  }

  std::string address_;
  pid_t daemon_ = -1;
  std::thread server_;
  std::mutex mutex_;
  GMainLoop* loop_ = nullptr;  // guarded by mutex_
  bool owned_ = false;         // guarded by mutex_
  bool failed_ = false;        // guarded by mutex_
  std::vector<std::string> shown_;
};

class DesktopEntriesTest : public ::testing::Test {
 protected:
  const TestApplications& apps = testApplications();
  DesktopEntries entries;
};

// --- the pure parts ----------------------------------------------------------

TEST(DesktopEntriesCommandLine, FieldCodesGoAndArgumentsFollow) {
  struct Case {
    std::string exec;
    std::vector<std::string> argv;
  };
  const std::vector<Case> cases = {
      {"prog %U", {"prog", "extra"}},
      {"prog --file=%f -n", {"prog", "--file=", "-n", "extra"}},
      {"prog 100%% %i %c %k", {"prog", "100%", "extra"}},
      {"\"/opt/my app/bin\" --title \"a \\\"quoted\\\" word\"",
       {"/opt/my app/bin", "--title", "a \"quoted\" word", "extra"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(commandLine(c.exec, {"extra"}), c.argv) << c.exec;
  }
  for (const std::string bad : {"prog \"unterminated", "%U", ""}) {
    const auto refused = commandLine(bad, {});
    ASSERT_FALSE(refused) << bad;
    EXPECT_TRUE(refused.error().ends_with(".")) << refused.error();
  }
}

TEST(DesktopEntriesMatching, ByStartupClassThenApplicationIdThenClassAsId) {
  const std::vector<DesktopEntry> entries = {
      {"org.example.Editor", "/e", "Editor", std::nullopt},
      {"vendor-term", "/t", "Term", "VendorTerm"},
      {"vendorterm", "/v", "Impostor", std::nullopt},
  };
  struct Case {
    WindowIdentity window;
    std::optional<std::string> id;
  };
  const std::vector<Case> cases = {
      {{"vendorterm", "VendorTerm", std::nullopt}, "vendor-term"},               // the StartupWMClass beats an id match
      {{"term", "VENDORTERM", std::nullopt}, "vendor-term"},                     // any case
      {{"x", "Y", "ORG.EXAMPLE.EDITOR"}, "org.example.Editor"},                  // the GTK application id
      {{"org.example.editor", "Whatever", std::nullopt}, "org.example.Editor"},  // the instance as an id
      {{"nothing", "Nobody", std::nullopt}, std::nullopt},
      {{}, std::nullopt},
  };
  for (const Case& c : cases) {
    const auto found = matchWindow(entries, c.window);
    EXPECT_EQ(found ? std::optional(found->id) : std::nullopt, c.id) << c.window.className.value_or("-");
  }
}

// --- through GIO --------------------------------------------------------------

TEST_F(DesktopEntriesTest, FindsEntriesByIdIgnoringCase) {
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"tavelin-test-alpha", apps.alpha},
      {"TAVELIN-Test-Alpha", apps.alpha},
      {"org.example.beta", apps.beta},
      {"Vendor-Gamma", apps.gammaUser},  // applications/vendor/gamma.desktop, ahead of the system copy
      {"vendor/gamma", std::nullopt},
      {"tavelin-test-uninstalled", std::nullopt},  // GIO hides an entry whose program is missing
      {"tavelin-test-nowhere", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [id, path] : cases) {
    const auto found = entries.find(id);
    EXPECT_EQ(found ? std::optional(found->path) : std::nullopt, path) << id;
  }
  const auto alpha = entries.find("tavelin-test-alpha");
  ASSERT_TRUE(alpha);
  EXPECT_EQ(*alpha, (DesktopEntry{"tavelin-test-alpha", apps.alpha, "Alpha Test", "TavelinAlpha"}));
  EXPECT_EQ(entries.entryAt(apps.gammaUser)->id, "vendor-gamma");
  EXPECT_EQ(entries.installedCopies("VENDOR-gamma"), (std::vector<std::string>{apps.gammaUser, apps.gammaSystem}));
  // Both copies start xterm from PATH: one installation, at xterm's real path.
  const std::unique_ptr<char, decltype(&g_free)> xterm{g_find_program_in_path("xterm"), g_free};
  ASSERT_TRUE(xterm);
  EXPECT_EQ(entries.installedPrograms("vendor-gamma"), (std::vector<std::string>{fs::canonical(xterm.get()).string()}));
  EXPECT_EQ(entries.installedPrograms("tavelin-test-recorder"),
            (std::vector<std::string>{fs::canonical(apps.root / "bin" / "record").string()}));
  EXPECT_TRUE(entries.installedPrograms("tavelin-test-uninstalled").empty());
}

TEST_F(DesktopEntriesTest, ApplicationBundlesAreAppFoldersOrEntryFiles) {
  const fs::path root = apps.root / "bundles";
  for (const char* folder : {"Editor.app", "Shouting.APP", "Folder", "entry.desktop"})
    fs::create_directories(root / folder);
  std::ofstream(root / "plain.app") << "not a folder";
  const std::vector<std::pair<std::string, bool>> cases = {
      {(root / "Editor.app").string(), true},
      {(root / "Shouting.APP").string(), true},
      {(root / "Editor.app").string() + "/", true},
      {(root / "Folder").string(), false},
      {(root / "plain.app").string(), false},
      {(root / "Missing.app").string(), false},
      {apps.alpha, true},
      {(root / "missing.desktop").string(), false},
      {(root / "entry.desktop").string(), false},  // a folder, not an entry
  };
  for (const auto& [path, isBundle] : cases) EXPECT_EQ(DesktopEntries::isApplicationBundle(path), isBundle) << path;

  EXPECT_EQ(DesktopEntries::displayName(apps.alpha), "Alpha Test");
  EXPECT_EQ(DesktopEntries::displayName((root / "Editor.app").string()), "Editor");
  EXPECT_EQ(DesktopEntries::displayName("/nowhere/Gone.desktop"), "Gone");
}

TEST_F(DesktopEntriesTest, LaunchesDetachedWithFieldCodesRemovedAndArgumentsAfter) {
  // A descriptor that a careless launcher would hand down: the child must not
  // keep its end of our pipe open.
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const auto pid = entries.launch(apps.recorder, {"extra one", "--flag"});
  ::close(pipeFds[1]);
  ASSERT_TRUE(pid) << pid.error();

  // The launch returned while the program still runs: it waits to be released.
  ASSERT_TRUE(XvfbSession::waitUntil([&] { return apps.recorded(*pid, "args").has_value(); }));
  EXPECT_EQ(::kill(*pid, 0), 0);
  pollfd ours{pipeFds[0], POLLIN, 0};
  EXPECT_EQ(::poll(&ours, 1, 0), 1);
  EXPECT_TRUE(ours.revents & POLLHUP) << "the child holds our pipe open";
  ::close(pipeFds[0]);

  EXPECT_EQ(apps.recorded(*pid, "args"), "--fixed\ntwo words\n100%\n-x\nextra one\n--flag\n");
  EXPECT_EQ(apps.recorded(*pid, "streams"), "/dev/null /dev/null /dev/null\n");
  const std::string process = apps.recorded(*pid, "process").value_or("");
  const int parent = std::stoi(process);
  const int sessionId = std::stoi(process.substr(process.find(' ')));
  EXPECT_NE(parent, ::getpid()) << "not our child to reap";
  EXPECT_EQ(sessionId, *pid) << "a session of its own";
  apps.release(*pid);
}

TEST_F(DesktopEntriesTest, ALaunchThatCannotRunSaysWhy) {
  const auto refused = entries.launch(apps.broken, {});
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.error().find("broken-program"), std::string::npos) << refused.error();
  EXPECT_TRUE(refused.error().ends_with(".")) << refused.error();

  const auto unreadable = entries.launch((apps.root / "nothing.desktop").string(), {});
  ASSERT_FALSE(unreadable);
  EXPECT_EQ(unreadable.error(),
            (apps.root / "nothing.desktop").string() + " is not an application entry that can be started.");
}

TEST_F(DesktopEntriesTest, OpensURLsWithTheirHandlerAndRefusesOtherSystemsSettings) {
  ASSERT_TRUE(DesktopEntries::openURL("tavelin-test:hello"));
  // The handler is the recorder: find the run that was handed the URL.
  std::optional<int> handler;
  ASSERT_TRUE(XvfbSession::waitUntil([&] {
    for (const auto& file : fs::directory_iterator(apps.out)) {
      if (file.path().extension() != ".args") continue;
      const int pid = std::stoi(file.path().stem().string());
      if (apps.recorded(pid, "args") == "tavelin-test:hello\n") handler = pid;
    }
    return handler.has_value();
  }));
  apps.release(*handler);

  const auto refused =
      DesktopEntries::openURL("x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility");
  ASSERT_FALSE(refused);
  EXPECT_TRUE(refused.error().ends_with(".")) << refused.error();
}

TEST_F(DesktopEntriesTest, RevealAsksTheFileManagerOnTheSessionBus) {
  FakeFileManager manager(apps.root / "bus");
  ASSERT_TRUE(manager.ready()) << "no private session bus";
  const std::string before = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  ::setenv("DBUS_SESSION_BUS_ADDRESS", manager.address().c_str(), 1);
  const auto shown = DesktopEntries::revealInFileManager({(apps.root / "with space.txt").string(), apps.alpha});
  ::setenv("DBUS_SESSION_BUS_ADDRESS", before.c_str(), 1);
  ASSERT_TRUE(shown) << shown.error();
  EXPECT_EQ(manager.shown(),
            (std::vector<std::string>{"file://" + (apps.root / "with%20space.txt").string(), "file://" + apps.alpha}));
}

TEST_F(DesktopEntriesTest, RevealFallsBackToOpeningTheFoldersWithoutAFileManagerOnTheBus) {
  const fs::path folder = apps.root / "reveal";
  fs::create_directories(folder / "sub");
  ASSERT_TRUE(DesktopEntries::revealInFileManager(
      {(folder / "a.txt").string(), (folder / "b.txt").string(), (folder / "sub" / "c.txt").string()}));
  std::vector<std::string> opened;
  EXPECT_TRUE(XvfbSession::waitUntil([&] {
    opened.clear();
    for (const auto& file : fs::directory_iterator(apps.out)) {
      const std::string name = file.path().filename().string();
      if (!name.starts_with("xdg-open.") || name.starts_with("xdg-open.tmp")) continue;
      std::ifstream in(file.path());
      std::string line;
      // Other tests' fallbacks write here too.
      if (std::getline(in, line) && line.starts_with(folder.string())) opened.push_back(line);
    }
    return opened.size() >= 2;
  }));
  std::sort(opened.begin(), opened.end());
  EXPECT_EQ(opened, (std::vector<std::string>{folder.string(), (folder / "sub").string()}));
}

}  // namespace
}  // namespace tavelin::app::testing
