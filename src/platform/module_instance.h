// A loaded module, as its instance handle names it.
#pragma once

namespace platform {

class ModuleInstance {
 public:
  explicit constexpr ModuleInstance(const char* fileName) : fileName_(fileName) {}
  constexpr const char* FileName() const { return fileName_; }

 private:
  const char* fileName_;
};

}  // namespace platform
