#include "platform/linux/gio/DesktopEntries.hpp"

#include <fcntl.h>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>
#include <utility>

namespace tavelin::app {
namespace {

namespace fs = std::filesystem;

struct ObjectUnref {
  void operator()(void* object) const { g_object_unref(object); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct GFree {
  void operator()(void* p) const { g_free(p); }
};
using GString = std::unique_ptr<char, GFree>;

struct ErrorFree {
  void operator()(GError* e) const { g_error_free(e); }
};
using GErrorPtr = std::unique_ptr<GError, ErrorFree>;

// GLib's own messages are phrases; ours end as sentences do.
std::string sentence(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.pop_back();
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

std::string describe(const GError* error, const char* otherwise) {
  return sentence(error != nullptr && error->message != nullptr ? error->message : otherwise);
}

GDesktopAppInfo* asDesktopAppInfo(GAppInfo* info) {
  if (info == nullptr ||
      g_type_check_instance_is_a(reinterpret_cast<GTypeInstance*>(info), g_desktop_app_info_get_type()) == 0) {
    return nullptr;
  }
  return reinterpret_cast<GDesktopAppInfo*>(info);
}

std::string stripSuffix(std::string_view text, std::string_view suffix) {
  if (text.size() > suffix.size() && text.ends_with(suffix)) text.remove_suffix(suffix.size());
  return std::string(text);
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && sameIdentifier(text.substr(text.size() - suffix.size()), suffix);
}

// The applications folders in the order GIO gives them precedence.
std::vector<fs::path> applicationFolders() {
  std::vector<fs::path> folders{fs::path(g_get_user_data_dir()) / "applications"};
  for (const gchar* const* dir = g_get_system_data_dirs(); *dir != nullptr; ++dir) {
    folders.push_back(fs::path(*dir) / "applications");
  }
  return folders;
}

std::string idForPath(const fs::path& file) {
  for (const fs::path& folder : applicationFolders()) {
    const fs::path relative = file.lexically_relative(folder);
    if (!relative.empty() && *relative.begin() != "..") return desktopIdForRelativePath(relative.string());
  }
  return stripSuffix(file.filename().string(), ".desktop");
}

DesktopEntry entryOf(GDesktopAppInfo* info, std::string id) {
  GAppInfo* app = reinterpret_cast<GAppInfo*>(info);
  const char* name = g_app_info_get_name(app);
  const char* file = g_desktop_app_info_get_filename(info);
  const char* wmClass = g_desktop_app_info_get_startup_wm_class(info);
  DesktopEntry entry{std::move(id), file != nullptr ? file : "", name != nullptr ? name : "", std::nullopt};
  if (wmClass != nullptr && *wmClass != '\0') entry.startupWMClass = wmClass;
  if (entry.name.empty()) entry.name = entry.id;
  return entry;
}

GObjectPtr<GDesktopAppInfo> loadEntry(const std::string& path) {
  GObjectPtr<GDesktopAppInfo> info{g_desktop_app_info_new_from_filename(path.c_str())};
  if (info && g_desktop_app_info_get_is_hidden(info.get())) info.reset();
  return info;
}

void newSession(gpointer) { ::setsid(); }

// Starts a program that outlives us and owes us nothing: GLib forks twice, so
// it is not our child to reap; it starts a session of its own; its standard
// streams are /dev/null and every other descriptor is closed, so no pipe of
// ours stays open in it.
std::expected<int, std::string> spawnDetached(const std::vector<std::string>& argv, const char* workingDirectory) {
  std::vector<gchar*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<gchar*>(arg.c_str()));
  args.push_back(nullptr);
  GPid pid = 0;
  GError* raw = nullptr;
  const auto flags =
      static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);
  const bool started = g_spawn_async(workingDirectory, args.data(), nullptr, flags, newSession, nullptr, &pid, &raw);
  const GErrorPtr error{raw};
  if (!started) return std::unexpected(describe(error.get(), "The program could not be started"));
  return pid;
}

std::expected<void, std::string> xdgOpen(const std::string& target) {
  const auto started = spawnDetached({"xdg-open", target}, nullptr);
  if (!started) return std::unexpected(started.error());
  return {};
}

constexpr std::string_view kSystemSettingsScheme = "x-apple.systempreferences:";

}  // namespace

bool sameIdentifier(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

std::string desktopIdForRelativePath(std::string_view relative) {
  std::string id = stripSuffix(relative, ".desktop");
  std::ranges::replace(id, '/', '-');
  return id;
}

std::optional<DesktopEntry> matchWindow(const std::vector<DesktopEntry>& entries, const WindowIdentity& window) {
  const auto firstWhere = [&](auto&& matches) -> std::optional<DesktopEntry> {
    const auto found = std::ranges::find_if(entries, matches);
    if (found == entries.end()) return std::nullopt;
    return *found;
  };
  const auto same = [](const std::optional<std::string>& a, const std::optional<std::string>& b) {
    return a && b && sameIdentifier(*a, *b);
  };
  for (const auto* hint : {&window.className, &window.instance}) {
    if (auto entry = firstWhere([&](const DesktopEntry& e) { return same(e.startupWMClass, *hint); })) return entry;
  }
  for (const auto* hint : {&window.gtkApplicationId, &window.instance, &window.className}) {
    if (auto entry = firstWhere([&](const DesktopEntry& e) { return same(e.id, *hint); })) return entry;
  }
  return std::nullopt;
}

std::expected<std::vector<std::string>, std::string> commandLine(std::string_view exec,
                                                                 const std::vector<std::string>& arguments) {
  const std::string text(exec);
  gchar** parsed = nullptr;
  GError* raw = nullptr;
  const bool ok = g_shell_parse_argv(text.c_str(), nullptr, &parsed, &raw);
  const GErrorPtr error{raw};
  if (!ok) return std::unexpected(describe(error.get(), "The command line cannot be read"));

  std::vector<std::string> argv;
  for (gchar** arg = parsed; *arg != nullptr; ++arg) {
    const std::string_view original(*arg);
    std::string kept;
    bool hadFieldCode = false;
    for (std::size_t i = 0; i < original.size(); ++i) {
      if (original[i] != '%' || i + 1 == original.size()) {
        kept += original[i];
      } else if (original[++i] == '%') {
        kept += '%';
      } else {
        hadFieldCode = true;
      }
    }
    // "%U" stands for the files to open, of which there are none: it leaves
    // no empty argument behind.
    if (!(hadFieldCode && kept.empty())) argv.push_back(std::move(kept));
  }
  g_strfreev(parsed);
  if (argv.empty()) return std::unexpected(std::string("The command line names no program."));
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return argv;
}

std::vector<DesktopEntry> DesktopEntries::all() const {
  std::vector<DesktopEntry> entries;
  GList* list = g_app_info_get_all();
  for (GList* item = list; item != nullptr; item = item->next) {
    GDesktopAppInfo* info = asDesktopAppInfo(static_cast<GAppInfo*>(item->data));
    const char* id = info != nullptr ? g_app_info_get_id(static_cast<GAppInfo*>(item->data)) : nullptr;
    if (id != nullptr) entries.push_back(entryOf(info, stripSuffix(id, ".desktop")));
  }
  g_list_free_full(list, g_object_unref);
  return entries;
}

std::optional<DesktopEntry> DesktopEntries::find(std::string_view id) const {
  if (id.empty()) return std::nullopt;
  // GIO knows ids only as spelled; the exact spelling is the quick case.
  const std::string file = std::string(id) + ".desktop";
  const GObjectPtr<GDesktopAppInfo> exact{g_desktop_app_info_new(file.c_str())};
  if (exact && !g_desktop_app_info_get_is_hidden(exact.get())) return entryOf(exact.get(), std::string(id));
  for (DesktopEntry& entry : all()) {
    if (sameIdentifier(entry.id, id)) return std::move(entry);
  }
  return std::nullopt;
}

namespace {

// Every installed entry file with this id that GIO will load, the one in
// force first, each file once however many links lead to it.
std::vector<std::pair<std::string, GObjectPtr<GDesktopAppInfo>>> loadedCopies(std::string_view id) {
  std::vector<std::pair<std::string, GObjectPtr<GDesktopAppInfo>>> copies;
  std::set<fs::path> seen;
  for (const fs::path& folder : applicationFolders()) {
    std::error_code error;
    std::vector<fs::path> found;
    for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      const fs::path& file = it->path();
      if (file.extension() != ".desktop" || !it->is_regular_file(error)) continue;
      if (sameIdentifier(desktopIdForRelativePath(file.lexically_relative(folder).string()), id)) found.push_back(file);
    }
    std::ranges::sort(found);
    for (const fs::path& file : found) {
      const fs::path canonical = fs::weakly_canonical(file, error);
      if (!seen.insert(error ? file : canonical).second) continue;
      if (auto info = loadEntry(file.string())) copies.emplace_back(file.string(), std::move(info));
    }
  }
  return copies;
}

}  // namespace

std::vector<std::string> DesktopEntries::installedCopies(std::string_view id) const {
  std::vector<std::string> copies;
  for (auto& [path, info] : loadedCopies(id)) copies.push_back(std::move(path));
  return copies;
}

std::vector<std::string> DesktopEntries::installedPrograms(std::string_view id) const {
  std::vector<std::string> programs;
  for (const auto& [path, info] : loadedCopies(id)) {
    const char* executable = g_app_info_get_executable(reinterpret_cast<GAppInfo*>(info.get()));
    if (executable == nullptr || *executable == '\0') continue;
    const GString found{g_find_program_in_path(executable)};
    if (!found) continue;
    std::error_code error;
    const fs::path real = fs::canonical(found.get(), error);
    if (error) continue;
    if (std::ranges::find(programs, real.string()) == programs.end()) programs.push_back(real.string());
  }
  return programs;
}

std::optional<DesktopEntry> DesktopEntries::entryAt(const std::string& path) const {
  const GObjectPtr<GDesktopAppInfo> info = loadEntry(path);
  if (!info) return std::nullopt;
  return entryOf(info.get(), idForPath(fs::path(path)));
}

std::optional<DesktopEntry> DesktopEntries::match(const WindowIdentity& window) const {
  return matchWindow(all(), window);
}

std::expected<int, std::string> DesktopEntries::launch(const std::string& path,
                                                       const std::vector<std::string>& arguments) const {
  const GObjectPtr<GDesktopAppInfo> info = loadEntry(path);
  if (!info) return std::unexpected(path + " is not an application entry that can be started.");
  const std::string name = entryOf(info.get(), idForPath(fs::path(path))).name;
  const GString exec{g_desktop_app_info_get_string(info.get(), "Exec")};
  if (!exec || *exec == '\0') return std::unexpected(name + " has no command to run.");
  const auto argv = commandLine(exec.get(), arguments);
  if (!argv) return std::unexpected(name + "'s command cannot be read: " + argv.error());
  const GString folder{g_desktop_app_info_get_string(info.get(), "Path")};
  return spawnDetached(*argv, folder && *folder != '\0' ? folder.get() : nullptr);
}

bool DesktopEntries::isApplicationBundle(const std::string& path) {
  std::string_view trimmed(path);
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.remove_suffix(1);
  std::error_code error;
  if (endsWithIgnoringCase(trimmed, ".app") && trimmed.size() > 4 && trimmed[trimmed.size() - 5] != '/') {
    return fs::is_directory(fs::path(trimmed), error);
  }
  return trimmed.ends_with(".desktop") && fs::is_regular_file(fs::path(trimmed), error);
}

std::string DesktopEntries::displayName(const std::string& path) {
  if (path.ends_with(".desktop")) {
    if (const GObjectPtr<GDesktopAppInfo> info = loadEntry(path)) {
      const char* name = g_app_info_get_name(reinterpret_cast<GAppInfo*>(info.get()));
      if (name != nullptr && *name != '\0') return name;
    }
  }
  std::string_view file(path);
  while (file.size() > 1 && file.back() == '/') file.remove_suffix(1);
  if (const auto slash = file.rfind('/'); slash != std::string_view::npos && file.size() > 1)
    file.remove_prefix(slash + 1);
  if (endsWithIgnoringCase(file, ".app") && file.size() > 4) return std::string(file.substr(0, file.size() - 4));
  return stripSuffix(file, ".desktop");
}

std::expected<void, std::string> DesktopEntries::revealInFileManager(const std::vector<std::string>& paths) {
  if (paths.empty()) return {};
  std::vector<GString> uris;
  std::vector<const gchar*> uriList;
  for (const std::string& path : paths) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    uris.emplace_back(g_filename_to_uri((error ? fs::path(path) : absolute).c_str(), nullptr, nullptr));
    if (uris.back()) uriList.push_back(uris.back().get());
  }
  uriList.push_back(nullptr);

  // A connection of our own for the one call: the shared session bus would
  // pin whatever bus this process first saw for its whole life.
  GError* raw = nullptr;
  const GString address{g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &raw)};
  GErrorPtr error{raw};
  raw = nullptr;
  if (address) {
    const auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                         G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    const GObjectPtr<GDBusConnection> bus{
        g_dbus_connection_new_for_address_sync(address.get(), flags, nullptr, nullptr, &raw)};
    error.reset(raw);
    raw = nullptr;
    if (bus) {
      GVariant* reply = g_dbus_connection_call_sync(bus.get(), "org.freedesktop.FileManager1",
                                                    "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
                                                    "ShowItems", g_variant_new("(^ass)", uriList.data(), ""), nullptr,
                                                    G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &raw);
      error.reset(raw);
      g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
      if (reply != nullptr) {
        g_variant_unref(reply);
        return {};
      }
    }
  }

  // No file manager answers on the bus: open the folders that hold them.
  std::set<std::string> folders;
  for (const std::string& path : paths) {
    std::error_code ignored;
    folders.insert(fs::absolute(path, ignored).parent_path().string());
  }
  std::expected<void, std::string> result;
  for (const std::string& folder : folders) {
    if (auto opened = xdgOpen(folder); !opened) result = std::unexpected(opened.error());
  }
  return result;
}

std::expected<void, std::string> DesktopEntries::openURL(const std::string& url) {
  if (url.size() >= kSystemSettingsScheme.size() &&
      sameIdentifier(std::string_view(url).substr(0, kSystemSettingsScheme.size()), kSystemSettingsScheme)) {
    return std::unexpected(std::string("System Settings panes do not exist on this system; nothing was opened."));
  }
  const GObjectPtr<GFile> file{g_file_new_for_uri(url.c_str())};
  GError* raw = nullptr;
  const GObjectPtr<GAppInfo> handler{g_file_query_default_handler(file.get(), nullptr, &raw)};
  GErrorPtr error{raw};
  raw = nullptr;
  if (GDesktopAppInfo* desktop = asDesktopAppInfo(handler.get())) {
    const int devnull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    GList uris{const_cast<char*>(url.c_str()), nullptr, nullptr};
    const bool launched =
        g_desktop_app_info_launch_uris_as_manager_with_fds(desktop, &uris, nullptr, G_SPAWN_SEARCH_PATH, newSession,
                                                           nullptr, nullptr, nullptr, devnull, devnull, devnull, &raw);
    error.reset(raw);
    if (devnull >= 0) ::close(devnull);
    if (launched) return {};
  }
  return xdgOpen(url);
}

}  // namespace tavelin::app
