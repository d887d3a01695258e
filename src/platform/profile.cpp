#include "platform/profile.h"

#include <algorithm>
#include <string>

#include "platform/file_system.h"
#include "platform/host_path.h"

namespace platform {

ProfileDocument ReadProfile(std::wstring_view hostPath) {
  if (hostPath.empty()) return {};
  std::optional<std::string> bytes = ReadWholeFile(ToNativePath(hostPath));
  return bytes ? ProfileDocument::Parse(DecodeProfileBytes(*bytes)) : ProfileDocument{};
}

std::optional<ProfileDocument> ReadExistingProfile(std::wstring_view hostPath,
                                                   std::string& problem) {
  problem.clear();
  if (hostPath.empty()) return ProfileDocument{};
  std::optional<std::string> bytes = ReadWholeFile(ToNativePath(hostPath), &problem);
  if (bytes) return ProfileDocument::Parse(DecodeProfileBytes(*bytes));
  if (!problem.empty()) return std::nullopt;
  return ProfileDocument{};
}

bool WriteProfile(std::wstring_view hostPath, const ProfileDocument& document) {
  if (hostPath.empty()) return false;
  return WriteFileAtomically(ToNativePath(hostPath), EncodeProfileText(document.Serialize()));
}

}  // namespace platform

UINT GetPrivateProfileIntW(const wchar_t* section, const wchar_t* key, int defaultValue,
                           const wchar_t* path) {
  if (!section || !key || !path) return static_cast<UINT>(defaultValue);
  return static_cast<UINT>(platform::ReadProfile(path).GetInt(section, key, defaultValue));
}

DWORD GetPrivateProfileStringW(const wchar_t* section, const wchar_t* key,
                               const wchar_t* defaultValue, wchar_t* buffer, DWORD size,
                               const wchar_t* path) {
  if (!buffer || size == 0) return 0;
  buffer[0] = L'\0';
  if (!section || !key) return 0;
  platform::ProfileDocument document =
      path ? platform::ReadProfile(path) : platform::ProfileDocument{};
  std::wstring value =
      document.GetString(section, key, defaultValue ? defaultValue : L"", size - 1);
  std::copy(value.begin(), value.end(), buffer);
  buffer[value.size()] = L'\0';
  return static_cast<DWORD>(value.size());
}

BOOL WritePrivateProfileStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* path) {
  if (!section || !path || !*path) return FALSE;
  // Writing a file that could not be read would lose every other key in it.
  std::string problem;
  std::optional<platform::ProfileDocument> existing = platform::ReadExistingProfile(path, problem);
  if (!existing) return FALSE;
  platform::ProfileDocument& document = *existing;
  if (!key) {
    document.RemoveSection(section);
  } else if (!value) {
    document.RemoveKey(section, key);
  } else {
    document.Set(section, key, value);
  }
  return platform::WriteProfile(path, document) ? TRUE : FALSE;
}
