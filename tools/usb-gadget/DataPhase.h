#pragma once
// Whether a command may run with the data phase the host announced in its CBW.
// The host states a direction and a length (H); the command itself implies a
// direction and, for some commands, an exact length (D). The Bulk-Only
// Transport's thirteen cases of H against D reduce to: run the command, or
// answer with a phase error without running it.

#include <cstdint>

enum class DataDirection : uint8_t {
  kNone,
  kIn,   // device to host
  kOut,  // host to device
};

// What a command moves.
struct DevicePlan {
  DataDirection direction = DataDirection::kNone;
  // Bytes the command moves. kUpToHost: a reply whose size only the host's
  // length bounds (an allocation length, a fixed reply cut to what is asked).
  uint32_t length = 0;
};

constexpr uint32_t kUpToHost = UINT32_MAX;

inline DevicePlan NoData() {
  return {DataDirection::kNone, 0};
}
inline DevicePlan DataIn(uint32_t length) {
  return length == 0 ? NoData() : DevicePlan{DataDirection::kIn, length};
}
inline DevicePlan DataOut(uint32_t length) {
  return length == 0 ? NoData() : DevicePlan{DataDirection::kOut, length};
}

enum class PhaseVerdict : uint8_t {
  kRun,         // cases 1, 4, 5, 6, 9, 11, 12
  kPhaseError,  // cases 2, 3, 7, 8, 10, 13
};

// The host's direction from the CBW: none when it announced no bytes.
DataDirection HostDirection(bool dataIn, uint32_t hostLength);

PhaseVerdict DecidePhase(DataDirection host, uint32_t hostLength, const DevicePlan& device);
