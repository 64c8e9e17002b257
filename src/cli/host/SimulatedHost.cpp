#include "cli/host/SimulatedHost.h"

#include <chrono>
#include <thread>

#include "cli/host/DriveLetterPlaces.h"
#include "sim/Scenarios.h"

SimulatedHost::SimulatedHost(const std::string& scenario, Resources* resources, uint32_t pieceMs)
    : scenario_(scenario), resources_(resources) {
  BuildScenario(scenario, machine_);
  if (pieceMs == 0) return;
  machine_.SetAfterCommand([pieceMs](const TraceEntry& entry) {
    if (entry.kind == CommandKind::kWriteBufferData || entry.kind == CommandKind::kReadBufferData) {
      std::this_thread::sleep_for(std::chrono::milliseconds(pieceMs));
    }
  });
}

Seams SimulatedHost::seams() {
  Seams seams;
  seams.scsi = &machine_;
  seams.disks = &machine_;
  seams.volumes = &machine_;
  seams.resources = resources_;
  return seams;
}

std::vector<std::string> SimulatedHost::Places(const std::string& path) {
  return DriveLetterPlaces(path);
}

std::unique_ptr<DeviceEvents> SimulatedHost::Events() {
  return std::make_unique<TimelineEvents>(machine_, ScenarioTimeline(scenario_));
}

std::string SimulatedHost::AccessAdvice(uint32_t) const {
  return "the simulated system refused access to the device";
}
