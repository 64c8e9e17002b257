#pragma once
// Opens the device node behind a disk path of the sysfs discovery
// ("usbstor:/dev/sdb" opens /dev/sdb): the bus word serves discovery only.
// Any other path goes through unchanged.

#include "seams/ScsiBackend.h"

class NodePathBackend final : public ScsiBackend {
 public:
  explicit NodePathBackend(ScsiBackend& inner) : inner_(inner) {}

  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;
  DeviceReach reach() const override { return inner_.reach(); }

 private:
  ScsiBackend& inner_;
};
