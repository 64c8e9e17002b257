#pragma once
// Asks the system not to end the session while a window has something under
// way: the window gives a reason, which the system shows to whoever tries to
// sign out or switch off. Systems without shutdown-block reasons are left
// alone.

#include <windows.h>

class ShutdownBlock {
 public:
  // Sets `reason` on `window` until this object goes.
  ShutdownBlock(HWND window, const wchar_t* reason);
  ~ShutdownBlock();
  ShutdownBlock(const ShutdownBlock&) = delete;
  ShutdownBlock& operator=(const ShutdownBlock&) = delete;

 private:
  HWND window_;
  bool set_ = false;
};
