#pragma once
// The updater window's own messages and the ids of its child windows. The
// end-to-end probe finds the window by its class and the lines by their ids.

#include <windows.h>

constexpr char kMainWindowClass[] = "Tessaloft.TQ214.UpdaterWindow";

// Posted to the main window: run the tasks queued for the window thread.
constexpr UINT kWmRunTasks = WM_APP + 1;
// Posted to the main window: a device change that came while device work ran,
// its event code in wParam. (WM_DEVICECHANGE itself cannot be posted for the
// events whose record travels with them.)
constexpr UINT kWmHeldDeviceChange = WM_APP + 2;

// Child window ids, one per control of the window model.
namespace control_id {
constexpr int kDeviceList = 100;
constexpr int kRefresh = 101;
constexpr int kDescript1 = 111;
constexpr int kDescript2 = 112;
constexpr int kDescript3 = 113;
constexpr int kDescript4 = 114;
constexpr int kDescript5 = 115;
constexpr int kUpdate = 120;
constexpr int kProgress = 130;
}  // namespace control_id
