#pragma once
#include <cstdint>

// The answer to "which physical device is this path": the layout of the
// system's 12-byte device-number record.
struct StorageDeviceNumber {
  uint32_t DeviceType = 0;
  uint32_t DeviceNumber = 0;
  uint32_t PartitionNumber = 0;
};
static_assert(sizeof(StorageDeviceNumber) == 12, "device-number record is 12 bytes");
