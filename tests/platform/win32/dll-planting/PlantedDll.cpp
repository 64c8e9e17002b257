// A DLL planted beside a program under the name of a system DLL. Loaded
// where Windows would load it from the program's folder too, it writes
// NAME.dll.loaded beside itself, a line with the path of each program that
// loaded it.
//
// One load Windows would never make is told apart: while the program starts,
// as the import of a system DLL only (the program's own import table does not
// name it). The system's DLLs that a program imports at start are KnownDLLs
// on Windows, and what they import comes from System32. Wine has no KnownDLLs,
// and its user32 and setupapi import version.dll at start: such a load writes
// NAME.dll.system instead, which the test reports without failing.

#include <windows.h>

namespace {

constexpr DWORD kPathChars = 1024;

const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') base = p + 1;
  }
  return base;
}

// Whether the program's own import table names the DLL `name`.
bool ProgramImports(const char* name) {
  const auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& table =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (table.VirtualAddress == 0) return false;
  for (const auto* entry =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), name) == 0) return true;
  }
  return false;
}

// One line per program that loaded it.
void AddToMarker(const char* path, const char* line) {
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, lstrlenA(line), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

// `reserved` is set for the DLLs loaded while the program starts, null for
// those loaded later (LoadLibrary).
extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  constexpr char kLoaded[] = ".loaded";
  constexpr char kSystem[] = ".system";
  static_assert(sizeof kLoaded == sizeof kSystem, "one room for either ending");
  char marker[kPathChars + sizeof kLoaded] = {};
  const DWORD length = GetModuleFileNameA(self, marker, kPathChars);
  if (length == 0 || length >= kPathChars) return TRUE;
  const bool bySystem = reserved != nullptr && !ProgramImports(BaseName(marker));
  lstrcpyA(marker + length, bySystem ? kSystem : kLoaded);
  char program[kPathChars + 1] = {};
  const DWORD programLength = GetModuleFileNameA(nullptr, program, kPathChars - 1);
  program[programLength] = '\n';
  AddToMarker(marker, program);
  return TRUE;
}
