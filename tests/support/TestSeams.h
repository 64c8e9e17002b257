#pragma once
// Test fixtures that put the virtual machine and a virtual shell behind the
// seams for the duration of a test.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "seams/Seams.h"
#include "sim/VirtualMachine.h"

// Records sleeps and message boxes instead of waiting and showing them.
class VirtualShell final : public Shell {
 public:
  struct Box {
    std::string text;
    std::string caption;
    uint32_t style;
  };
  void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
  int ShowMessageBox(const char* text, const char* caption, uint32_t style) override {
    boxes.push_back({text, caption, style});
    return kIdOk;
  }
  std::vector<uint32_t> sleeps;
  std::vector<Box> boxes;
};

// A machine with one TBR640 enclosure at kUsbPath.
class SimTest : public ::testing::Test {
 protected:
  static const char kUsbPath[];
  SimTest();

  VirtualMachine machine;
  VirtualShell shell;
  VirtualEnclosure& chip;

 private:
  ScopedSeams seams_;
};
