#pragma once
// One updater window per sign-in session: a program that finds another one
// already running brings that one's window to the front and ends, rather than
// offering Update for the same enclosure a second time. The programs meet at
// a named mutex in the session's namespace ("Local\..."): a program in
// another session has windows this one could not bring up anyway.

#include <windows.h>

class SingleInstance {
 public:
  // Claims `name` for as long as this object lives; a null name claims
  // nothing (the program runs beside any other).
  explicit SingleInstance(const char* name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when another program held the name first.
  bool another() const { return another_; }

 private:
  HANDLE mutex_ = nullptr;
  bool another_ = false;
};

// Brings the first window of `windowClass` to the front, restored if it was
// minimised. The other program may still be starting (its first look at the
// disks comes before its window shows): it looks again for up to `limitMs`.
// False when no window of the class appeared.
bool BringRunningWindowForward(const char* windowClass, DWORD limitMs);

// Tells the user, in a message box, that `instanceName` is held by a program
// that shows no updater window (one that hangs, or any other program that took
// the name): otherwise the program would end with nothing shown.
void SayHeldWithoutWindow(const char* programName, const char* instanceName);
