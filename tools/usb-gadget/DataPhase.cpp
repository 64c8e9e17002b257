#include "usb-gadget/DataPhase.h"

DataDirection HostDirection(bool dataIn, uint32_t hostLength) {
  if (hostLength == 0) return DataDirection::kNone;
  return dataIn ? DataDirection::kIn : DataDirection::kOut;
}

PhaseVerdict DecidePhase(DataDirection host, uint32_t hostLength, const DevicePlan& device) {
  // A device that moves nothing can always run: the host's bytes become residue.
  if (device.direction == DataDirection::kNone || device.length == 0) return PhaseVerdict::kRun;
  // Data where the host expects none, or the other way round.
  if (host != device.direction) return PhaseVerdict::kPhaseError;
  // More than the host takes or gives.
  if (device.length != kUpToHost && device.length > hostLength) return PhaseVerdict::kPhaseError;
  return PhaseVerdict::kRun;
}
