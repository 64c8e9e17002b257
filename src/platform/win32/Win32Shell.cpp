#include "platform/win32/Win32Shell.h"

#include <windows.h>

void Win32Shell::Sleep(uint32_t milliseconds) {
  ::Sleep(static_cast<DWORD>(milliseconds));
}

int Win32Shell::ShowMessageBox(const char* text, const char* caption, uint32_t style) {
  return ::MessageBoxA(nullptr, text, caption, static_cast<UINT>(style));
}
