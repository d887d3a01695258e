#include "host/sim/json_document.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace sim {

double JsonDocument::Float(Index value) const { return std::bit_cast<double>(Payload(value)); }

double JsonDocument::Number(Index value) const {
  switch (KindOf(value)) {
    case Kind::kUnsigned:
      return static_cast<double>(Unsigned(value));
    case Kind::kSigned:
      return static_cast<double>(Signed(value));
    default:
      return Float(value);
  }
}

namespace {

// The shortest digits that read back as `value`, laid out as integers up to 15 digits, plain
// decimals from 0.0001 on, and exponents ("1e+39", "1.5e-07") beyond: the form the messages have
// always shown.
std::string ShortestText(double value) {
  if (value == 0) return std::signbit(value) ? "-0.0" : "0.0";
  std::string out = value < 0 ? "-" : "";
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                    std::chars_format::scientific);
  std::string_view scientific(buffer, static_cast<std::size_t>(end - buffer));
  std::size_t e = scientific.find('e');
  std::string digits;
  for (char c : scientific.substr(0, e)) {
    if (c != '.') digits += c;
  }
  int exponent = std::atoi(std::string(scientific.substr(e + 1)).c_str());
  const int k = static_cast<int>(digits.size());
  const int n = exponent + 1;  // the decimal point sits after n digits
  constexpr int kMinExp = -4, kMaxExp = 15;
  if (k <= n && n <= kMaxExp) return out + digits + std::string(n - k, '0') + ".0";
  if (0 < n && n <= kMaxExp) return out + digits.substr(0, n) + "." + digits.substr(n);
  if (kMinExp < n && n <= 0) return out + "0." + std::string(-n, '0') + digits;
  out += digits.substr(0, 1);
  if (k > 1) out += "." + digits.substr(1);
  int shown = n - 1;
  std::string magnitude = std::to_string(shown < 0 ? -shown : shown);
  if (magnitude.size() < 2) magnitude.insert(0, "0");
  return out + "e" + (shown < 0 ? "-" : "+") + magnitude;
}

}  // namespace

std::string JsonDocument::NumberText(Index value) const {
  switch (KindOf(value)) {
    case Kind::kUnsigned:
      return std::to_string(Unsigned(value));
    case Kind::kSigned:
      return std::to_string(Signed(value));
    default:
      return ShortestText(Float(value));
  }
}

std::string_view JsonDocument::String(Index value) const {
  std::uint64_t payload = Payload(value);
  return std::string_view(strings_).substr(payload >> 32, payload & UINT32_MAX);
}

JsonDocument::Index JsonDocument::Find(Index object, std::string_view key) const {
  std::size_t low = 0, high = Size(object);
  while (low < high) {
    std::size_t middle = low + (high - low) / 2;
    std::string_view at = Key(object, middle);
    if (at == key) return MemberValue(object, middle);
    if (at < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return kNotFound;
}

void JsonDocumentWriter::AddChunk() {
  document_.chunks_.push_back(std::make_unique_for_overwrite<JsonDocument::Slots>());
}

void JsonDocumentWriter::Append(const std::uint8_t* kinds, const std::uint64_t* payloads,
                                std::size_t count) {
  while (count > 0) {
    std::size_t at = document_.size_;
    if ((at & JsonDocument::kMask) == 0) AddChunk();
    std::size_t offset = at & JsonDocument::kMask;
    std::size_t run = std::min(count, JsonDocument::kChunkSize - offset);
    JsonDocument::Slots& slots = *document_.chunks_.back();
    std::memcpy(slots.payloads + offset, payloads, run * sizeof *payloads);
    std::memcpy(slots.kinds + offset, kinds, run);
    document_.size_ = at + run;
    kinds += run;
    payloads += run;
    count -= run;
  }
}

}  // namespace sim
