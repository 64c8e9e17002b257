#pragma once
// Requests to stop tq214 that arrive while an update writes the enclosure:
// Ctrl+C, a closing terminal or console, kill. Obeyed then, they would leave
// the bridge with part of its firmware and it might not start again; so from
// the first write of the download to the end of the configuration block's
// read-back they are held. The first one held prints a notice (that an update
// is running, why stopping now is dangerous, about how long it still takes);
// the update runs to its end and the program ends with the update's result,
// naming what it held. One implementation per platform (linux/, win32/).

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class InterruptHold {
 public:
  virtual ~InterruptHold() = default;
  // Starts holding; a second call while holding changes nothing. `notice`
  // builds the text printed at the first request held; it runs on another
  // thread, so what it reads must be safe to read from there.
  virtual void Begin(std::function<std::string()> notice) = 0;
  // Stops holding. Returns the names of the requests held ("SIGINT",
  // "Ctrl+C", ...), in the order they arrived, each once.
  virtual std::vector<std::string> End() = 0;
  // Whether a request to stop arrived since Begin.
  virtual bool requested() const = 0;
};

// The platform's hold (linux/SignalHold.cpp, win32/ConsoleHold.cpp); its
// notice goes to `err`.
std::unique_ptr<InterruptHold> MakeInterruptHold(std::ostream& err);
