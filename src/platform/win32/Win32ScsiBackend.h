#pragma once
// The 32-bit Windows backend: the device is a file opened with CreateFileA, the
// pass-through record goes to DeviceIoControl as both the in and the out
// buffer, so Windows writes ScsiStatus and DataTransferLength straight back
// into it. A span's commands share one handle (OpenHandle).

#include <memory>

#include "seams/ScsiBackend.h"

class Win32ScsiBackend final : public ScsiBackend {
 public:
  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;
  bool KeepsHandles() const override { return true; }
  std::unique_ptr<DeviceHandle> OpenHandle(const char* path) override;
  bool IdentifyHandle(DeviceHandle& handle, DeviceIdentity* identity) override;
};
