#pragma once
// User32 functions that older systems lack, looked up at run time so that
// the program still starts there.

#include <windows.h>

// The function `name` of user32 as type `Fn`; null when the system has none.
template <class Fn>
Fn User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}
