#pragma once
// Requests to stop tq214: Ctrl+C, a closing terminal or console, kill. Obeyed
// while an update writes the enclosure, they would leave the bridge with part
// of its firmware and it might not start again; so from the first write of
// the download to the end of the configuration block's read-back they are
// held. The first one held is announced (that an update is running, why
// stopping now is dangerous, about how long it still takes); the update runs
// to its end and the program ends with the update's result, naming what it
// held.
//
// The hold is the process's: it is made in the main thread before any other
// thread starts, so that every thread the program starts later is covered.
// Outside a hold a request ends the program as it would without one, unless
// the run takes requests as a sign to end by itself (a watch).
// One implementation per platform (linux/, win32/).

#include <functional>
#include <memory>
#include <string>
#include <vector>

class InterruptHold {
 public:
  virtual ~InterruptHold() = default;
  // Starts holding; a second call while holding changes nothing. `announce`
  // prints the notice at the first request held; it runs on another thread,
  // so what it reads must be safe to read from there.
  virtual void Begin(std::function<void()> announce) = 0;
  // Stops holding. Returns the names of the requests held meanwhile
  // ("SIGINT", "Ctrl+C", ...), in the order they arrived, each once.
  virtual std::vector<std::string> End() = 0;
  // The names End() would give now, while the hold goes on.
  virtual std::vector<std::string> HeldSoFar() const = 0;
  // Whether a request to stop arrived, held or not, since the program began.
  virtual bool requested() const = 0;
  // While on, a request that arrives when nothing is held is only noted
  // (requested() turns true), for a run that then ends by itself.
  virtual void SetRunEndsOnRequest(bool on) = 0;
};

// The platform's hold (linux/SignalHold.cpp, win32/ConsoleHold.cpp).
std::unique_ptr<InterruptHold> MakeInterruptHold();
