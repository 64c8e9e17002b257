#pragma once
// Common Controls 6, the manifest's dependency, loaded once the program takes
// DLLs from the system folder only. Imported, it would start before WinMain,
// and what it loads by name then (the theme DLL) would be looked for in the
// program's folder first: it comes from WinSxS, no KnownDLL.

#include <windows.h>

// What the system's window drawing loads by name: the theme DLL and what it
// draws with. The window loads them from the system folder first.
inline constexpr const wchar_t* kDrawingDlls[] = {L"uxtheme.dll", L"dwmapi.dll", L"msimg32.dll"};

// Loads Common Controls and registers the window classes `classes` (ICC_*).
void InitCommonControlsFromSystem(DWORD classes);
