// The Windows machine: disks through the device-installation functions,
// commands through SCSI pass-through, volumes by drive letter.

#include "cli/host/RealHost.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/host/DriveLetterPlaces.h"
#include "platform/win32/Win32Platform.h"

namespace {

constexpr uint32_t kErrorAccessDenied = 5;

class WindowsHost final : public Host {
 public:
  Seams seams() override { return Win32PlatformSeams(); }
  std::string ShownPath(const std::string& path) const override { return path; }
  bool TakesRawDevicePaths() const override { return true; }
  std::vector<std::string> Places(const std::string& path) override {
    return DriveLetterPlaces(path);
  }
  const char* placesKey() const override { return "driveLetters"; }
  const char* placesLabel() const override { return "drives"; }
  bool IsAccessError(uint32_t code) const override { return code == kErrorAccessDenied; }
  // A console program has no window for device notifications: the disk list
  // is looked at twice a second instead (no device is sent a command for it).
  std::unique_ptr<DeviceEvents> Events() override { return std::make_unique<PollingEvents>(); }
  std::string AccessAdvice(uint32_t) const override {
    return "access denied; run tq214.exe from a command prompt opened as administrator";
  }
};

}  // namespace

// Windows keeps its own guards in the platform's seams.
std::unique_ptr<Host> MakeRealHost(SystemGuards*) {
  return std::make_unique<WindowsHost>();
}

Resources* SystemResources() {
  return Win32PlatformSeams().resources;
}

// A lock is a named object of the system; there is no lock folder.
SystemGuards* SystemGuardsOfPlatform(const std::string&) {
  return Win32PlatformSeams().guards;
}

std::string DefaultHistoryPath(const ProcessVariables& variables) {
  const std::string& local = variables.localAppData;
  if (local.empty()) return "";
  return local + "\\tq214\\history.jsonl";
}

bool StandardOutputIsTerminal() {
  return _isatty(_fileno(stdout)) != 0;
}

size_t TerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return 0;
  return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

void KeepRunningWhenOutputCloses() {}
