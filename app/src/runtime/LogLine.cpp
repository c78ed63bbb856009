#include <ctime>

#include "runtime/Log.hpp"

namespace tavelin::app {
namespace {

constexpr std::size_t kStampLength = 23;  // "yyyy-MM-dd HH:mm:ss.SSS"

// Writes `value` as exactly `width` decimal digits ending just before `end`.
char* putDigits(char* end, long value, int width) {
  for (int i = 0; i < width; ++i) {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return end;
}

}  // namespace

std::string_view logLevelWord(LogLevel level) {
  switch (level) {
    case LogLevel::Debug: return "debug";
    case LogLevel::Info: return "info";
    case LogLevel::Error: return "error";
    case LogLevel::Fault: return "fault";
    case LogLevel::Default: break;
  }
  return "warn";  // the default level, and anything unforeseen
}

std::string formatLogLine(std::chrono::system_clock::time_point when, LogLevel level, std::string_view message) {
  using namespace std::chrono;
  const auto seconds = floor<std::chrono::seconds>(when);
  const long millis = static_cast<long>(duration_cast<milliseconds>(when - seconds).count());
  const std::time_t clock = system_clock::to_time_t(seconds);
  std::tm local{};
  if (::localtime_r(&clock, &local) == nullptr) local = std::tm{};  // out of range: a zero stamp beats no line

  char stamp[kStampLength];
  char* end = stamp + kStampLength;
  end = putDigits(end, millis, 3);
  *--end = '.';
  end = putDigits(end, local.tm_sec, 2);
  *--end = ':';
  end = putDigits(end, local.tm_min, 2);
  *--end = ':';
  end = putDigits(end, local.tm_hour, 2);
  *--end = ' ';
  end = putDigits(end, local.tm_mday, 2);
  *--end = '-';
  end = putDigits(end, local.tm_mon + 1, 2);
  *--end = '-';
  // Four digits cover years 0 to 9999; a clock outside them is not worth a wider field.
  putDigits(end, (static_cast<long>(local.tm_year) + 1900 + 10000) % 10000, 4);

  const std::string_view word = logLevelWord(level);
  std::string line;
  line.reserve(kStampLength + 2 + 5 + 2 + message.size() + 1);
  line.append(stamp, kStampLength);
  line.append("  ");
  line.append(word);
  line.append(5 - word.size(), ' ');
  line.append("  ");
  line.append(message);
  line.push_back('\n');
  return line;
}

}  // namespace tavelin::app
