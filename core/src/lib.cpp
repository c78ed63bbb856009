#include <tavelin/error.hpp>
#include <tavelin/lib.hpp>

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <random>

namespace tavelin {

std::ostream& operator<<(std::ostream& out, const CoreError& error) { return out << error.message; }

std::string core_version() { return "2.7.1"; }

namespace {

void fill_random(std::array<std::uint8_t, 16>& bytes) {
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const auto got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got > 0) {
      filled += static_cast<std::size_t>(got);
    } else if (got < 0 && errno != EINTR) {
      break;
    }
  }
  if (filled == bytes.size()) return;
  // getrandom cannot fail on a running Linux system, but an identifier must
  // come back regardless; random_device reads the same kernel source.
  std::random_device device;
  for (auto& b : bytes) b = static_cast<std::uint8_t>(device());
}

}  // namespace

std::string new_identifier() {
  std::array<std::uint8_t, 16> bytes{};
  fill_random(bytes);
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(36);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
    out.push_back(digits[bytes[i] >> 4]);
    out.push_back(digits[bytes[i] & 0x0F]);
  }
  return out;
}

}  // namespace tavelin
