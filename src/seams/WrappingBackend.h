#pragma once
// A backend that wraps the one in force and passes on all it does not change:
// the requests, what it reaches and the handles of its spans.

#include <memory>

#include "seams/ScsiBackend.h"

class WrappingBackend : public ScsiBackend {
 public:
  explicit WrappingBackend(ScsiBackend& inner) : inner_(inner) {}

  BackendResult Execute(const ScsiRequest& request) override { return inner_.Execute(request); }
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override {
    return inner_.QueryDeviceNumber(path, result);
  }
  DeviceReach reach() const override { return inner_.reach(); }
  bool KeepsHandles() const override { return inner_.KeepsHandles(); }
  std::unique_ptr<DeviceHandle> OpenHandle(const char* path) override {
    return inner_.OpenHandle(path);
  }
  bool IdentifyHandle(DeviceHandle& handle, DeviceIdentity* identity) override {
    return inner_.IdentifyHandle(handle, identity);
  }

 protected:
  ScsiBackend& inner_;
};
