#include "platform/win32/gui/CommonControls.h"

#include <commctrl.h>

#include "platform/win32/Win32DllSearch.h"

void InitCommonControlsFromSystem(DWORD classes) {
  // Loaded first by full path, the drawing's DLLs are found loaded where a
  // by-name load would still look in the program's folder: Windows 7 and
  // Vista without SetDefaultDllDirectories, and Wine, whose delay loads
  // (LdrResolveDelayLoadedAPI) search it whatever the default directories.
  for (const wchar_t* name : kDrawingDlls) LoadSystemDll(name);
  // By name: the manifest's dependency takes it from WinSxS.
  const HMODULE comctl32 = LoadLibraryW(L"comctl32.dll");
  const auto init = DllFunction<decltype(&InitCommonControlsEx)>(comctl32, "InitCommonControlsEx");
  if (init == nullptr) return;
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = classes;
  init(&controls);
}
