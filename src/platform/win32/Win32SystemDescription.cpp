#include <windows.h>

#include <string>

#include "platform/SystemDescription.h"

namespace {

// The system's own numbers: the version a compatibility manifest cannot
// disguise.
using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

}  // namespace

std::string SystemDescription() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto get = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                         : nullptr;
  if (get == nullptr || get(&info) != 0) return "Windows";
  return "Windows " + std::to_string(info.dwMajorVersion) + "." +
         std::to_string(info.dwMinorVersion) + " build " + std::to_string(info.dwBuildNumber);
}
