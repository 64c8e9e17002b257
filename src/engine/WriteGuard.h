#pragma once
// What a build may write into which chip. A build that carries the generated
// stand-in image (no customer image was given to it) writes that image into
// the virtual enclosure only: a real chip would start those pseudo-random
// bytes at its next power-up and the enclosure would no longer work. The USB
// harness, which serves the virtual enclosure to a real kernel, gets through
// with an explicit test-only switch that only a stand-in build reads. A build
// with the customer image writes wherever it is asked to.

#include "seams/ScsiBackend.h"

struct Refusal;

// What the window and tq214 say when they refuse.
constexpr char kStandInRefusalText[] = "This build carries a stand-in image, not the firmware";
// Set to "1" in the environment, it lets a stand-in build write a real device.
constexpr char kStandInTestSwitch[] = "TQ214_TEST_ONLY_WRITE_STAND_IN";

// The environment variable a program's start reads for the switch:
// kStandInTestSwitch in a stand-in build, null in one with the customer
// image, which never looks at it.
const char* StandInSwitchVariable();
// The program's start gives what it read ("" when unset), before any update.
// A program that never gives it writes no stand-in image into a real device.
void SetStandInSwitch(const char* value);

// Why the image must not be written through a backend of `reach`
// (kStandInRefusal), or null when it may. `testSwitch` is the value of
// kStandInTestSwitch (null when unset).
const Refusal* FirmwareWriteRefusalFor(bool imageIsStandIn, DeviceReach reach,
                                       const char* testSwitch);

// The same for this build, the backend in force and the switch the program
// was given.
const Refusal* FirmwareWriteRefusal();
