#pragma once
// The seams a Linux program installs at start: SG_IO for the device, a real
// sleep for the shell, mount points for the volumes, the firmware image
// compiled in for the resources.

#include "seams/Seams.h"

// The same instances on every call; they live until the program ends.
Seams LinuxPlatformSeams();
