#pragma once
// Reading the updater window of another process through the system, as a
// screen reader or UI automation would: found by its class, its lines by
// their child ids, texts by WM_GETTEXT with a time-out.

#include <windows.h>

#include <string>

struct UpdaterHandles {
  HWND main = nullptr;
  HWND lines[5] = {};  // pnl_Descript_1 to pnl_Descript_5
  HWND update = nullptr;
  HWND bar = nullptr;
};

// The visible updater window and its children; false when there is none yet.
bool FindUpdater(UpdaterHandles* handles);

// The window's text; false when it did not answer within two seconds.
bool ReadText(HWND window, std::string* text);

// The window has not stopped answering: the system does not mark it hung,
// and a message sent to it comes back.
bool Answers(HWND window);

// A path as the Windows side names it: Z:\... for a path of the host.
std::string WindowsPath(const std::string& path);
