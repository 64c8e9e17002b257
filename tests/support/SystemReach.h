#pragma once
// A virtual machine standing in for the real system: the same answers, from a
// backend that says it reaches real devices, as the SG_IO and pass-through
// backends do. What a build may write to a real enclosure is tested with it.

#include <memory>
#include <string>
#include <vector>

#include "cli/host/DriveLetterPlaces.h"
#include "cli/host/Host.h"
#include "embedded/EmbeddedResources.h"
#include "seams/WrappingBackend.h"
#include "sim/VirtualMachine.h"

class SystemReach final : public WrappingBackend {
 public:
  explicit SystemReach(VirtualMachine& machine) : WrappingBackend(machine) {}
  DeviceReach reach() const override { return DeviceReach::kSystem; }
};

// tq214's "real machine", answered by `machine`.
class SystemLikeHost final : public Host {
 public:
  explicit SystemLikeHost(VirtualMachine& machine) : machine_(machine), reach_(machine) {}
  Seams seams() override { return Seams{&reach_, nullptr, &machine_, &machine_, &resources_}; }
  std::string ShownPath(const std::string& path) const override { return path; }
  std::vector<std::string> Places(const std::string& path) override {
    return DriveLetterPlaces(path);
  }
  const char* placesKey() const override { return "driveLetters"; }
  const char* placesLabel() const override { return "drives"; }
  bool IsAccessError(uint32_t) const override { return false; }
  std::string AccessAdvice(uint32_t) const override { return ""; }

 private:
  VirtualMachine& machine_;
  SystemReach reach_;
  EmbeddedResources resources_;
};
