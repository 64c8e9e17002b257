#pragma once
// The updater window of another process as assistive technology meets it:
// the names that oleacc gives its controls, and the live-region events that
// make a screen reader read a line out.

#include <windows.h>

#include <string>
#include <vector>

#include "ProbeRun.h"
#include "ProbeWindow.h"

// Each control's name, as a screen reader asks for it, is what the control
// shows: each line its text, each button its caption, the list its selection.
void ExpectAccessibleNames(Checks& checks, const UpdaterHandles& w);

// Hears the live-region events of the process `processId` while it lives,
// out of that process's context: the thread that made it must pump messages
// (Watch does).
class LiveRegionEar {
 public:
  explicit LiveRegionEar(DWORD processId);
  ~LiveRegionEar();
  LiveRegionEar(const LiveRegionEar&) = delete;
  LiveRegionEar& operator=(const LiveRegionEar&) = delete;

  struct Heard {
    HWND window;
    std::string text;  // the window's text when the event was heard
  };
  const std::vector<Heard>& heard() const { return heard_; }

 private:
  static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                               LONG child, DWORD thread, DWORD time);
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<Heard> heard_;
};
