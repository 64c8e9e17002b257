#include "platform/win32/Win32FolderWalk.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// Where the folders begin: after "C:\", "\\server\share\" or
// "\\?\C:\".
size_t FirstFolderAt(const std::wstring& path) {
  size_t at = 0;
  if (path.compare(0, 4, L"\\\\?\\") == 0) at = 4;
  if (path.size() >= at + 3 && path[at + 1] == L':' && IsSeparator(path[at + 2])) return at + 3;
  if (at == 0 && path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // \\server\share\: two names
    size_t end = path.find_first_of(L"\\/", 2);
    if (end != std::wstring::npos) end = path.find_first_of(L"\\/", end + 1);
    return end == std::wstring::npos ? path.size() : end + 1;
  }
  return path.size();
}

}  // namespace

bool RunsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool known =
      GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != 0;
  CloseHandle(token);
  return known && elevation.TokenIsElevated != 0;
}

std::wstring FullPathOf(const std::wstring& name) {
  const DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return L"";
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(name.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return L"";
  full.resize(length);
  return full;
}

std::string ReparsePointOnTheWay(const std::wstring& path, bool make, bool* missing) {
  *missing = false;
  for (size_t at = FirstFolderAt(path); at < path.size(); ++at) {
    const size_t end = path.find_first_of(L"\\/", at);
    if (end == std::wstring::npos) break;  // the last name is the file's
    if (end == at) continue;
    const std::wstring folder = path.substr(0, end);
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && make &&
        CreateDirectoryW(folder.c_str(), nullptr)) {
      attributes = GetFileAttributesW(folder.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      *missing = true;
      return "the folder " + Utf8FromWide(folder) + " is not there";
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      return "the folder " + Utf8FromWide(folder) +
             " is a junction or symbolic link, never followed";
    }
    at = end;
  }
  return "";
}
