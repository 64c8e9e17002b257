#pragma once
// Reading the updater window of another process through the system, as a
// screen reader or UI automation would: found by its class, its lines by
// their child ids, texts by WM_GETTEXT with a time-out.

#include <windows.h>

#include <initializer_list>
#include <string>

struct UpdaterHandles {
  HWND main = nullptr;
  HWND lines[5] = {};  // pnl_Descript_1 to pnl_Descript_5
  HWND update = nullptr;
  HWND bar = nullptr;
};

// The visible updater window and its children; false when there is none yet.
bool FindUpdater(UpdaterHandles* handles);
// The same, of the process `processId` only.
bool FindUpdaterOf(DWORD processId, UpdaterHandles* handles);
// How many updater windows of the process `processId` exist, shown or not.
int CountUpdatersOf(DWORD processId);

// The window with the keyboard focus on the thread of `window`; null when
// that thread has none.
HWND FocusOf(HWND window);

// Types `keys` as a user does: pressed in order, released in reverse order
// ({VK_MENU, VK_F4} is Alt+F4). They go to the foreground window.
void Type(std::initializer_list<WORD> keys);

// The window's text; false when it did not answer within two seconds.
bool ReadText(HWND window, std::string* text);

// The window has not stopped answering: the system does not mark it hung,
// and a message sent to it comes back.
bool Answers(HWND window);

// A path as the Windows side names it: Z:\... for a path of the host.
std::string WindowsPath(const std::string& path);
