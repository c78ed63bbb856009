// Feeds arbitrary bytes to the configuration reader. Besides crashes, leaks
// and undefined behaviour it checks the reader and the writer against each
// other: whatever is read must write out to a file that reads back equal and
// writes out again byte for byte, and every refusal must be a readable
// sentence with a position. abort() is the fuzzer's signal of a fault.

#include <tavelin/config.hpp>

#include "text.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto settings = tavelin::settings_from_json(input);
  if (!settings) {
    const std::string& message = settings.error();
    if (message.find(" at line ") == std::string::npos || !tavelin::text::is_valid_utf8(message))
      std::abort();
    return 0;
  }
  const std::string written = tavelin::settings_to_json(*settings);
  const auto again = tavelin::settings_from_json(written);
  if (!again || !(*again == *settings)) std::abort();
  if (tavelin::settings_to_json(*again) != written) std::abort();
  return 0;
}
