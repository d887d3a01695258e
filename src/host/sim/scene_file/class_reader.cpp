#include "host/sim/scene_file/class_reader.h"

#include <charconv>
#include <cstdint>

namespace sim {

std::uint32_t ReadClassNumber(const JsonPlace& number) {
  if (!number.IsString()) return static_cast<std::uint32_t>(number.Integer(0, UINT32_MAX));
  std::string text = number.String();
  std::uint32_t value = 0;
  bool hex =
      text.size() > 2 && text.size() <= 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (hex) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data() + 2, end, value, 16);
    hex = error == std::errc() && stop == end;
  }
  if (!hex) {
    number.Fail("expected an integer or \"0x\" and 1 to 8 hexadecimal digits, found \"" + text +
                "\"");
  }
  return value;
}

Class_ID ReadClassId(const JsonPlace& parts) {
  parts.ExpectArray(2, 2);
  std::uint32_t first = ReadClassNumber(parts.Element(0));
  return Class_ID(first, ReadClassNumber(parts.Element(1)));
}

Class_ID ReadNamedClass(const JsonPlace& value, const NamedClass* names, std::size_t count) {
  if (!value.IsString()) return ReadClassId(value);
  std::string name = value.String();
  std::string known;
  for (std::size_t i = 0; i < count; ++i) {
    if (names[i].name == name) return names[i].classId;
    known += (known.empty() ? "\"" : ", \"") + std::string(names[i].name) + "\"";
  }
  value.Fail("unknown class \"" + name + "\" (known: " + known + ", or [first part, second part])");
}

}  // namespace sim
