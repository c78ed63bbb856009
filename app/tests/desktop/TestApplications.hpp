#pragma once

// Installed applications of the test process's own: a temporary
// XDG_DATA_HOME and a folder put first in XDG_DATA_DIRS holding the desktop
// entries the tests use,
// set before GIO first reads them (GLib reads the variables once per
// process). Every test that reaches GIO asks for them first.
//
// The recording entry runs a script that writes what it was given into
// out/<its pid>.args (one argument a line), its standard streams into
// out/<pid>.streams and its parent and session into out/<pid>.process, then
// waits for out/<pid>.release (for at most half a minute), so that a test
// can see it still running. xdg-open is replaced on PATH by a script that
// writes its arguments into out/xdg-open.<pid>. No session bus is reachable,
// so nothing autolaunches one.

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

namespace tavelin::app::testing {

struct TestApplications {
  std::filesystem::path root;
  std::filesystem::path out;
  std::string alpha;        // id tavelin-test-alpha, StartupWMClass TavelinAlpha
  std::string beta;         // id org.example.Beta
  std::string gammaUser;    // id vendor-gamma, as applications/vendor/gamma.desktop
  std::string gammaSystem;  // the same id in the system folder
  std::string recorder;     // id tavelin-test-recorder
  std::string broken;       // id tavelin-test-broken: its program exists but cannot run
  std::string uninstalled;  // its program does not exist, so GIO does not list it
  std::string urlHandler;   // handles tavelin-test: URLs

  // What a recorder process wrote, once it has written it.
  std::optional<std::string> recorded(int pid, const std::string& what) const {
    std::ifstream file(out / (std::to_string(pid) + "." + what));
    if (!file) return std::nullopt;
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  void release(int pid) const { std::ofstream(out / (std::to_string(pid) + ".release")); }
};

namespace detail {

inline void writeFile(const std::filesystem::path& path, const std::string& text, bool executable = false) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << text;
  if (executable) ::chmod(path.c_str(), 0755);
}

inline std::string entry(const std::string& name, const std::string& exec, const std::string& extra = "") {
  return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + extra;
}

inline TestApplications makeTestApplications() {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "tavelin-apps-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  TestApplications apps;
  apps.root = pattern;
  apps.out = apps.root / "out";
  fs::create_directories(apps.out);
  const fs::path user = apps.root / "data" / "applications";
  const fs::path system = apps.root / "system" / "applications";
  const fs::path bin = apps.root / "bin";
  const std::string out = apps.out.string();

  writeFile(bin / "record",
            "#!/bin/sh\n"
            "out='" +
                out +
                "'\n"
                "printf '%s\\n' \"$@\" > \"$out/$$.tmp\"\n"
                "echo \"$(readlink /proc/$$/fd/0) $(readlink /proc/$$/fd/1) $(readlink /proc/$$/fd/2)\" > "
                "\"$out/$$.streams\"\n"
                "cut -d' ' -f4,6 /proc/$$/stat > \"$out/$$.process\"\n"
                "mv \"$out/$$.tmp\" \"$out/$$.args\"\n"
                "i=0\n"
                "while [ ! -e \"$out/$$.release\" ] && [ $i -lt 1500 ]; do sleep 0.02; i=$((i+1)); done\n",
            true);
  writeFile(bin / "xdg-open",
            "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + out + "/xdg-open.tmp.'$$\nmv '" + out + "/xdg-open.tmp.'$$ '" +
                out + "/xdg-open.'$$\n",
            true);

  apps.alpha = (user / "tavelin-test-alpha.desktop").string();
  writeFile(apps.alpha, entry("Alpha Test", "xterm", "StartupWMClass=TavelinAlpha\n"));
  apps.beta = (user / "org.example.Beta.desktop").string();
  writeFile(apps.beta, entry("Beta", "xterm"));
  apps.gammaUser = (user / "vendor" / "gamma.desktop").string();
  writeFile(apps.gammaUser, entry("Gamma", "xterm"));
  apps.gammaSystem = (system / "vendor-gamma.desktop").string();
  writeFile(apps.gammaSystem, entry("Gamma (system)", "xterm"));
  apps.recorder = (user / "tavelin-test-recorder.desktop").string();
  writeFile(apps.recorder, entry("Recorder", (bin / "record").string() + " --fixed %U \"two words\" 100%% -x%f"));
  apps.broken = (user / "tavelin-test-broken.desktop").string();
  writeFile(bin / "broken-program", "#!/nonexistent/tavelin-interpreter\n", true);
  writeFile(apps.broken, entry("Broken", (bin / "broken-program").string() + " --flag"));
  apps.uninstalled = (user / "tavelin-test-uninstalled.desktop").string();
  writeFile(apps.uninstalled, entry("Uninstalled", "/nonexistent/tavelin-missing-program"));
  apps.urlHandler = (user / "tavelin-test-url.desktop").string();
  writeFile(apps.urlHandler, entry("URL Handler", (bin / "record").string() + " %u",
                                   "MimeType=x-scheme-handler/tavelin-test;\nNoDisplay=true\n"));
  // What update-desktop-database would write: GIO finds handlers through it.
  writeFile(user / "mimeinfo.cache", "[MIME Cache]\nx-scheme-handler/tavelin-test=tavelin-test-url.desktop;\n");

  ::setenv("XDG_DATA_HOME", (apps.root / "data").c_str(), 1);
  // The system's own folders stay behind ours: openbox finds its theme there.
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  const std::string systemDirs = dirs != nullptr && *dirs != '\0' ? dirs : "/usr/local/share:/usr/share";
  ::setenv("XDG_DATA_DIRS", ((apps.root / "system").string() + ":" + systemDirs).c_str(), 1);
  ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (apps.root / "no-bus").string()).c_str(), 1);
  const char* path = std::getenv("PATH");
  ::setenv("PATH", (bin.string() + ":" + (path != nullptr ? path : "/usr/bin:/bin")).c_str(), 1);
  return apps;
}

struct TestApplicationsHolder {
  TestApplications apps = makeTestApplications();
  ~TestApplicationsHolder() {
    std::error_code ignored;
    std::filesystem::remove_all(apps.root, ignored);
  }
};

}  // namespace detail

inline const TestApplications& testApplications() {
  static const detail::TestApplicationsHolder holder;
  return holder.apps;
}

}  // namespace tavelin::app::testing
