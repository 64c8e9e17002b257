#pragma once
// --simulate: one of the ready-made virtual machines (sim/Scenarios.h) in
// place of the real one. Its disks are named as on Windows and carry drive
// letters. On a terminal the enclosure takes a little time per firmware
// piece, so that the progress bar can be watched.

#include <cstdint>
#include <string>
#include <vector>

#include "cli/host/Host.h"
#include "sim/VirtualMachine.h"

class SimulatedHost final : public Host {
 public:
  // `scenario` must be one of ScenarioNames(). `resources` holds the firmware
  // image (the program's own). `pieceMs`: the time each firmware piece takes.
  SimulatedHost(const std::string& scenario, Resources* resources, uint32_t pieceMs);

  VirtualMachine& machine() { return machine_; }

  Seams seams() override;
  std::string ShownPath(const std::string& path) const override { return path; }
  bool TakesRawDevicePaths() const override { return true; }
  std::string PortOf(const std::string& path) const override { return machine_.PortOf(path); }
  // A unit put in another's place carries its own serial number.
  std::string SerialOf(const std::string& path) const override {
    const std::string given = machine_.SerialOf(path);
    return given.empty() ? Host::SerialOf(path) : given;
  }
  std::vector<std::string> Places(const std::string& path) override;
  const char* placesKey() const override { return "driveLetters"; }
  const char* placesLabel() const override { return "drives"; }
  bool IsAccessError(uint32_t code) const override { return code == kErrorAccessDenied; }
  std::string AccessAdvice(uint32_t code) const override;
  // The scenario's timeline, played as the watch waits.
  std::unique_ptr<DeviceEvents> Events() override;

 private:
  std::string scenario_;
  VirtualMachine machine_;
  Resources* resources_;
};

// The time per piece that a person can follow: 98 pieces in about 2 seconds.
constexpr uint32_t kWatchedPieceMs = 20;
