#pragma once
// Test fixtures that put the virtual machine and a virtual shell behind the
// seams for the duration of a test.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "seams/Seams.h"
#include "sim/VirtualMachine.h"
#include "support/VirtualShell.h"

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
