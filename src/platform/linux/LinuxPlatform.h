#pragma once
// The seams a Linux program installs at start: SG_IO for the device, a real
// sleep for the shell, the firmware image compiled in for the resources.

#include "seams/Seams.h"

// The same instances on every call; they live until the program ends.
Seams LinuxPlatformSeams();
