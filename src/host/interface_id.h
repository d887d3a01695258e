// Extra interfaces found by a two-part interface ID.
#pragma once

#include "platform/win_types.h"

class Interface_ID {
 public:
  constexpr Interface_ID() = default;
  constexpr Interface_ID(DWORD a, DWORD b) : a_(a), b_(b) {}
  constexpr bool operator==(const Interface_ID&) const = default;

 private:
  DWORD a_ = 0;
  DWORD b_ = 0;
};

// The base of every interface an object hands out by Interface_ID.
class BaseInterface {
 public:
  virtual ~BaseInterface() = default;
};
