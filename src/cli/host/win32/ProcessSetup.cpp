// tq214 as a process, Windows' part: its environment's variables are read
// wide and turned into UTF-8, whatever the ANSI code page.

#include "cli/host/ProcessSetup.h"

#include <windows.h>

#include <string>

#include "platform/win32/Win32Text.h"

std::string EnvironmentText(const char* name) {
  const std::wstring wideName = WideFromUtf8(name);
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetEnvironmentVariableW(wideName.c_str(), &value[0], static_cast<DWORD>(value.size()));
    if (length == 0) return "";
    if (length < value.size()) {
      value.resize(length);
      return Utf8FromWide(value);
    }
    value.resize(length);  // too small: the length it needs, with the terminating zero
  }
}
