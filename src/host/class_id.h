// Class identity of host plug-in classes: a super class ID and a two-part class ID.
#pragma once

#include <cstdint>

using SClass_ID = std::uint32_t;

class Class_ID {
 public:
  constexpr Class_ID() = default;
  constexpr Class_ID(std::uint32_t a, std::uint32_t b) : a_(a), b_(b) {}
  constexpr std::uint32_t PartA() const { return a_; }
  constexpr std::uint32_t PartB() const { return b_; }
  constexpr bool operator==(const Class_ID&) const = default;
  constexpr bool operator<(const Class_ID& o) const {
    return a_ < o.a_ || (a_ == o.a_ && b_ < o.b_);
  }

 private:
  std::uint32_t a_ = 0xFFFFFFFF;
  std::uint32_t b_ = 0xFFFFFFFF;
};

// Super class IDs the exporter asks about.
constexpr SClass_ID SCENE_EXPORT_CLASS_ID = 0x0A20;
