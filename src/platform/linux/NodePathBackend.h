#pragma once
// Opens the device node behind a disk path of the sysfs discovery
// ("usbstor:/dev/sdb" opens /dev/sdb): the bus word serves discovery only.
// Any other path goes through unchanged.

#include "seams/WrappingBackend.h"

class NodePathBackend final : public WrappingBackend {
 public:
  explicit NodePathBackend(ScsiBackend& inner) : WrappingBackend(inner) {}

  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;
  std::unique_ptr<DeviceHandle> OpenHandle(const char* path) override;
};
