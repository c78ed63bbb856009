// Feeds arbitrary bytes to the store's read path through a real file. Opening
// an existing file must never change it, and must accept exactly what the
// reader accepts, holding exactly what the reader read.

#include <tavelin/store.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "text.hpp"

namespace {

const std::filesystem::path& config_file() {
  static const std::filesystem::path file = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavelin-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return std::filesystem::path(pattern) / "config.json";
  }();
  return file;
}

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(config_file(), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  const auto store = tavelin::Store::open(config_file());
  if (contents(config_file()) != bytes) std::abort();

  const bool utf8 = tavelin::text::is_valid_utf8(bytes);
  const auto read = tavelin::settings_from_json(bytes);
  if (store) {
    if (!utf8 || !read || !(store->settings() == *read)) std::abort();
  } else {
    using Kind = tavelin::CoreError::Kind;
    const Kind expected = utf8 ? Kind::Parse : Kind::Io;
    if (store.error().kind != expected || (utf8 && read)) std::abort();
  }
  return 0;
}
