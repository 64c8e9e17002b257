#pragma once
// The seam to the system services that the flows use besides the device:
// waiting and message boxes (and, as the window grows, the message pump,
// timers and the rest). Tests install a virtual shell that records instead.

#include <cstdint>

// Message box styles and answers, as the system numbers them.
constexpr uint32_t kMbOk = 0x00000000;
constexpr uint32_t kMbIconError = 0x00000010;
constexpr uint32_t kMbIconWarning = 0x00000030;
constexpr uint32_t kMbTaskModal = 0x00002000;
constexpr int kIdOk = 1;

class Shell {
 public:
  virtual ~Shell() = default;
  virtual void Sleep(uint32_t milliseconds) = 0;
  // A modal message box with no owner window; returns the button pressed.
  virtual int ShowMessageBox(const char* text, const char* caption, uint32_t style) = 0;
};
