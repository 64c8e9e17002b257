#pragma once
// A line whose new text assistive technology reads out when it is announced,
// even while the focus is elsewhere: the line is marked a polite live region
// (read when the user pauses) through the system's accessibility property
// service, and each announcement raises the live-region event on it. Where
// the system has no such service the line stays unmarked and the event is
// still raised.

#include <windows.h>
// <oleacc.h> uses the base types that <windows.h> declares.
#include <oleacc.h>

#include "platform/win32/gui/ComOwner.h"

class LiveRegion {
 public:
  LiveRegion() = default;
  ~LiveRegion() { Unmark(); }
  LiveRegion(const LiveRegion&) = delete;
  LiveRegion& operator=(const LiveRegion&) = delete;

  void Mark(HWND line);
  // The line shows what is to be read out.
  void Announce() const;
  // Takes the mark off (before the line goes).
  void Unmark();

 private:
  HWND line_ = nullptr;
  ComOwner<IAccPropServices> services_;
  bool marked_ = false;
};
