// Host time: 32-bit integer ticks.
#pragma once

#include <cstdint>

using TimeValue = std::int32_t;

// A closed span of host time, [start, end].
class Interval {
 public:
  constexpr Interval() = default;
  constexpr Interval(TimeValue start, TimeValue end) : start_(start), end_(end) {}
  constexpr TimeValue Start() const { return start_; }
  constexpr TimeValue End() const { return end_; }
  void Set(TimeValue start, TimeValue end) {
    start_ = start;
    end_ = end;
  }
  void SetStart(TimeValue t) { start_ = t; }
  void SetEnd(TimeValue t) { end_ = t; }
  constexpr bool operator==(const Interval&) const = default;

 private:
  TimeValue start_ = 0;
  TimeValue end_ = 0;
};
