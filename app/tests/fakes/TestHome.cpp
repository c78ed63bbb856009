// Every test process gets a HOME of its own before anything runs, so nothing
// a test does (a log line, a default configuration) can reach the real home
// folder of whoever runs the tests.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

struct TestHome {
  TestHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavelin-home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path = pattern;
    ::setenv("HOME", path.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
  }
  ~TestHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

const TestHome home;

}  // namespace
