#include "platform/file_identity.h"

#include <sys/stat.h>

#include "platform/host_path.h"

BOOL GetFileIdentityW(const wchar_t* path, FILE_IDENTITY* identity) {
  if (!path || !*path || !identity) return FALSE;
  struct stat info {};
  if (::stat(platform::ToNativePath(path).c_str(), &info) != 0) return FALSE;
  identity->volume = static_cast<std::uint64_t>(info.st_dev);
  identity->index = static_cast<std::uint64_t>(info.st_ino);
  return TRUE;
}
