#include "xof/number_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace xof {
namespace {

char* PutUnsigned(std::uint64_t value, char* out) {
  char digits[20];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (n > 0) *out++ = digits[--n];
  return out;
}

}  // namespace

char* FormatFixed6(float value, char* out) {
  // A float times 10^6 is exact in a double (24 + 20 significant bits), so rounding that product
  // to an integer, ties to even, gives the digits "%f" prints; far beyond 2^53 the general path
  // takes over.
  double scaled = static_cast<double>(value) * 1e6;
  if (!(std::fabs(scaled) < 9.0e15)) return FormatFixed6(static_cast<double>(value), out);
  if (std::signbit(value)) *out++ = '-';
  auto units = static_cast<std::uint64_t>(std::nearbyint(std::fabs(scaled)));
  out = PutUnsigned(units / 1000000, out);
  *out++ = '.';
  std::uint64_t fraction = units % 1000000;
  for (int i = 5; i >= 0; --i) {
    out[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  return out + 6;
}

char* FormatFixed6(double value, char* out) {
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  std::size_t length = result.ptr - buffer;
  // Doubles beyond 10^40 never come from a float; their digits are cut, not the format.
  if (result.ec != std::errc() || length > 48) {
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 6);
    length = result.ptr - buffer;
  }
  std::memcpy(out, buffer, length);
  return out + length;
}

char* FormatInteger(std::int64_t value, char* out) {
  if (value < 0) {
    *out++ = '-';
    return PutUnsigned(static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(value), out);
  }
  return PutUnsigned(static_cast<std::uint64_t>(value), out);
}

}  // namespace xof
