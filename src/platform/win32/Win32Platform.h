#pragma once
// The seams of the Windows programs: the device backend and shell that talk to
// the system. Each program installs them at start with InstallSeams.

#include "seams/Seams.h"

// Pointers to instances that live for the whole program.
Seams Win32PlatformSeams();
