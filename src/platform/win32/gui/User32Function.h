#pragma once
// User32 functions that older systems lack, looked up at run time so that
// the program still starts there.

#include <windows.h>

#include "platform/win32/Win32DllSearch.h"

// The function `name` of user32 as type `Fn`; null when the system has none.
template <class Fn>
Fn User32Function(const char* name) {
  return DllFunction<Fn>(GetModuleHandleA("user32.dll"), name);
}
