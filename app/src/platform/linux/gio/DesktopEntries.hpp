#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavelin::app {

// An installed application, as an XDG desktop entry describes it.
struct DesktopEntry {
  // The file name less ".desktop", with the folders below applications/
  // joined by "-": "vendor-x" for applications/vendor/x.desktop. This is the
  // application's bundle id.
  std::string id;
  std::string path;  // the entry file, the application's "URL"
  std::string name;  // Name, localized
  std::optional<std::string> startupWMClass;
  bool operator==(const DesktopEntry&) const = default;
};

// What a window says about the application it belongs to.
struct WindowIdentity {
  std::optional<std::string> instance;   // WM_CLASS, first part
  std::optional<std::string> className;  // WM_CLASS, second part
  std::optional<std::string> gtkApplicationId;
};

// Applications through GIO's index of desktop entries. GIO reads
// XDG_DATA_HOME and XDG_DATA_DIRS once, on first use, and follows changes to
// the folders from then on. Holds no state of its own.
class DesktopEntries {
 public:
  std::vector<DesktopEntry> all() const;
  // By id, ignoring ASCII case; an entry spelled exactly so wins.
  std::optional<DesktopEntry> find(std::string_view id) const;
  // Every installed file with this id, the one in force first.
  std::vector<std::string> installedCopies(std::string_view id) const;
  // The programs those copies run, resolved through PATH and to their real
  // paths, each once, in the same order. A copy is where its program is: two
  // entries that start the same executable are one installation, and an
  // entry whose program is missing installs nothing.
  std::vector<std::string> installedPrograms(std::string_view id) const;
  std::optional<DesktopEntry> entryAt(const std::string& path) const;
  std::optional<DesktopEntry> match(const WindowIdentity& window) const;

  // Starts the entry's command with `arguments` after it as a process of its
  // own: a new session, standard streams on /dev/null, no other descriptor
  // inherited, not our child. Gives its process id, or why it could not
  // start, as a sentence.
  std::expected<int, std::string> launch(const std::string& path, const std::vector<std::string>& arguments) const;

  // An existing folder whose extension is ".app" in any case, or an existing
  // desktop entry file.
  static bool isApplicationBundle(const std::string& path);
  // The entry's Name, else the file name less ".desktop" or ".app".
  static std::string displayName(const std::string& path);

  // Asks the file manager over D-Bus to show the items selected, else opens
  // their folders with xdg-open. Blocks for as long as D-Bus takes.
  static std::expected<void, std::string> revealInFileManager(const std::vector<std::string>& paths);
  // Opens the URL with its default handler, else with xdg-open. Settings
  // panes of another system ("x-apple.systempreferences:") are refused.
  static std::expected<void, std::string> openURL(const std::string& url);
};

bool sameIdentifier(std::string_view a, std::string_view b);

// The desktop id of `relative`, a path below an applications folder.
std::string desktopIdForRelativePath(std::string_view relative);

// The first entry, in this order of evidence, that the window names: by
// StartupWMClass against its class (then its instance), by its GTK
// application id, then by its instance and then its class as an entry id.
// Every comparison ignores ASCII case.
std::optional<DesktopEntry> matchWindow(const std::vector<DesktopEntry>& entries, const WindowIdentity& window);

// The program and arguments of an Exec value: quoting undone, every field
// code removed (an argument that was only field codes goes altogether, "%%"
// stays as "%"), then `arguments` appended. A sentence when it cannot be read.
std::expected<std::vector<std::string>, std::string> commandLine(std::string_view exec,
                                                                 const std::vector<std::string>& arguments);

}  // namespace tavelin::app
