#pragma once
// The demo enclosure's comings and goings, as the system would announce them
// to the updater window. A hidden message-only window on the window thread
// does the machine's part, so the machine is touched there only while no
// device work runs: its messages wait in the queue during device work like
// the updater window's own timers.
//
// - Reenumerate(path), from any thread: a second after the flow that caused
//   it has returned, the enclosure is removed (device-removal message to the
//   updater window), and about 300 ms later attached again, its chip
//   restarting (device-nodes-changed message).
// - Vanished(path), from any thread: the enclosure went away by itself; the
//   updater window gets the device-removal message.

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>

#include "sim/VirtualMachine.h"

class Win32WindowShell;

class Replug {
 public:
  Replug(VirtualMachine& machine, Win32WindowShell& shell) : machine_(machine), shell_(shell) {}
  ~Replug();
  Replug(const Replug&) = delete;
  Replug& operator=(const Replug&) = delete;

  // On the window thread, once the updater window exists.
  bool Create(HINSTANCE instance, HWND updaterWindow);

  void Reenumerate(const std::string& path);
  void Vanished(const std::string& path);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Remove();
  void Attach();
  bool Pop(std::deque<std::string>& from, std::string* path);

  VirtualMachine& machine_;
  Win32WindowShell& shell_;
  HWND helper_ = nullptr;
  HWND updater_ = nullptr;
  std::mutex lock_;
  std::deque<std::string> toRemove_;
  std::deque<std::string> toAttach_;
};
