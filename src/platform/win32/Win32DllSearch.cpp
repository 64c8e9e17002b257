#include "platform/win32/Win32DllSearch.h"

#include <string>

#include "platform/DllSearch.h"

namespace {

// Windows 8 and later have it; Windows 7 and Vista only with update
// KB2533623, hence looked up rather than imported.
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

}  // namespace

void LoadDllsFromSystemFolderOnly() {
  const auto setDefault = DllFunction<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"),
                                                                  "SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it (Windows 7 and Vista lacking the update) the program's folder
  // stays in the search; the working folder at least leaves it. The programs'
  // own DLLs come by full path all the same (LoadSystemDll).
  SetDllDirectoryW(L"");
}

HMODULE LoadSystemDll(const wchar_t* fileName) {
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
