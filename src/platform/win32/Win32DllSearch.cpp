#include "platform/win32/Win32DllSearch.h"

#include <string>

#include "platform/DllSearch.h"

namespace {

// Windows 8 and later have it; Windows 7 and Vista only with update
// KB2533623, hence looked up rather than imported.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

}  // namespace

void LoadDllsFromSystemFolderOnly(const wchar_t* const* preloads, size_t count) {
  const auto setDefault = DllFunction<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"),
                                                                  "SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it (Windows 7 and Vista lacking the update) the program's folder
  // stays in the search; the working folder at least leaves it. The programs'
  // own DLLs come by full path all the same (LoadSystemDll), and those that
  // the system loads by name for them are loaded so here, before anything
  // else runs (COM among it): found loaded, they are not looked for again.
  SetDllDirectoryW(L"");
  for (size_t i = 0; i < count; ++i) LoadSystemDll(preloads[i]);
}

HMODULE LoadSystemDll(const wchar_t* fileName) {
  // From System32 and what it imports from there too, where the system
  // knows the flag (Windows 8 and later, 7 and Vista with the update).
  if (const HMODULE dll = LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return dll;
  }
  if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  // Refused as unknown: by full path, its imports looked for in System32
  // first.
  const UINT size = GetSystemDirectoryW(nullptr, 0);
  if (size == 0) return nullptr;
  std::wstring path(size, L'\0');
  const UINT length = GetSystemDirectoryW(&path[0], size);
  if (length == 0 || length >= size) return nullptr;
  path.resize(length);
  path += L'\\';
  path += fileName;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
