#pragma once
// A backend that wraps the one in force and passes on all it does not change:
// what it reaches and the handles of its spans.

#include <memory>

#include "seams/ScsiBackend.h"

class WrappingBackend : public ScsiBackend {
 public:
  explicit WrappingBackend(ScsiBackend& inner) : inner_(inner) {}

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
