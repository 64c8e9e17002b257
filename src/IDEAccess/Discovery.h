#pragma once
// Which disks of the machine sit behind a bridge of the vendor: every present
// disk interface on a USB mass-storage, UAS or (on request) IEEE 1394 bus that
// answers the bridge's commands.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "seams/SystemGuards.h"

// The caller's path table: 16 buffers of 256 bytes. A path that would not fit
// with its NUL is skipped (never cut short), and once the table is full the
// enumeration ends without probing further disks.
constexpr size_t kPathTableEntries = 16;
constexpr size_t kPathBufferSize = 256;
constexpr size_t kMaxStoredPathLength = kPathBufferSize - 1;

// The table's entries point to caller-owned buffers of kPathBufferSize bytes.
using PathTable = char* const[kPathTableEntries];

// Asked before discovery sends a disk its first command. A lock taken is
// held while the disk is probed; one busy or refused keeps the disk in the
// table without a command (an enclosure another program is writing).
using ProbeGate = std::function<EnclosureLock(const char* devicePath)>;

// The gate of a program that only reads: a disk whose lock another holds
// gets no command.
EnclosureLock UnlessBeingWritten(const char* devicePath);

// Fills paths[0], paths[1], ... with the device paths of the bridge disks,
// exactly as the system spells them; returns how many it filled (0 when the
// interface list cannot be had). `include1394` non-zero also probes disks on
// an IEEE 1394 bus. A disk the gate keeps from its probe is in the table too.
int EnumerateBridgeDisks(PathTable& paths, uint8_t include1394,
                         const ProbeGate& gate = UnlessBeingWritten);

// The bus a disk path names, as the device list shows it: IEEE 1394 when the
// path holds "sbp2", else UAS when it holds "scsi", else USB mass storage.
enum class Bus : uint8_t { kUsb, kUas, kFirewire };
Bus BusOfPath(const char* devicePath);

// 1 when the disk answers both Inquiry and GetChipInfo, else 0.
int IsBridgeDisk(const char* devicePath);

// The probe that keeps a listed disk: IsBridgeDisk, or else the bridge's
// register word answered.
bool AnswersBridge(const char* devicePath);

// For following disks as they come and go: the present disk interface paths
// that discovery would probe (its buses, its length limit), without sending
// any disk a command.
std::vector<std::string> ListBusDiskPaths(uint8_t include1394);
