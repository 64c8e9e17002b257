#pragma once
// DLLs that are no KnownDLLs (version, bcrypt) are loaded on first use, from
// the system folder by full path: at start, Windows would take a copy beside
// the program instead (docs/windows-security.md).

#include <windows.h>

// The system folder's DLL `fileName` (L"bcrypt.dll"); the DLLs it imports are
// looked for in the system folder first. Null when it cannot be loaded.
HMODULE LoadSystemDll(const wchar_t* fileName);

// The function `name` of `dll` as type `Fn`; null when either is missing.
template <class Fn>
Fn DllFunction(HMODULE dll, const char* name) {
  if (dll == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}
