// Tessaloft_Orvexa_TQ-214.exe: the updater window over the system's disks.

#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/gui/UpdaterWindow.h"
#include "platform/win32/gui/Win32WindowShell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  static Win32WindowShell shell;
  Seams seams = Win32PlatformSeams();
  seams.shell = &shell;
  InstallSeams(seams);
  RunShowingExceptions("Tessaloft_Orvexa_TQ-214", [&] {
    UpdaterWindow window(shell);
    if (!window.Open(instance)) return 0;
    window.Show(showCommand);
    return window.RunMessageLoop();
  });
  return 0;
}
