// The Windows machine: disks through the device-installation functions,
// commands through SCSI pass-through, volumes by drive letter.

#include "cli/host/RealHost.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

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

std::unique_ptr<Host> MakeRealHost() {
  return std::make_unique<WindowsHost>();
}

Resources* SystemResources() {
  return Win32PlatformSeams().resources;
}

SystemGuards* SystemGuardsOfPlatform() {
  return Win32PlatformSeams().guards;
}

std::string DefaultHistoryPath() {
  const char* local = std::getenv("LOCALAPPDATA");
  if (local == nullptr || local[0] == '\0') return "";
  return std::string(local) + "\\tq214\\history.jsonl";
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
