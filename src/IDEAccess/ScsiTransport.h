#pragma once
// One SCSI command with an optional data phase to a disk named by its device
// path: open, one pass-through request, close; inside a span of the device
// (DeviceSpan.h), one request through the span's handle. 1 success, 0 failure.

#include <cstdint>

#include "IDEAccess/SenseData.h"
#include "seams/StorageDeviceNumber.h"

// Time-outs, in seconds, of the three kinds of transfer.
constexpr uint32_t kTimeoutInSeconds = 10;
constexpr uint32_t kTimeoutOutSeconds = 50;
constexpr uint32_t kTimeoutLongOutSeconds = 100;

// Data from the device (or none). `buffer` receives `length` bytes, also after
// a failed request; `*transferred` receives the bytes the request moved. When
// the device cannot be opened neither is touched. A negative length is refused.
int ScsiDataIn(const char* devicePath, const uint8_t* cdb, uint8_t cdbLength, uint8_t* buffer,
               int32_t length, uint32_t* transferred);

// Data to the device (or none; `buffer` may be null when `length` is 0).
int ScsiDataOut(const char* devicePath, const uint8_t* cdb, uint8_t cdbLength,
                const uint8_t* buffer, uint32_t length, uint32_t* transferred);

// Which physical device `path` names; `result` is written only on success.
int QueryDeviceNumber(const char* path, StorageDeviceNumber* result);

// The transfer length put on the bus for a requested length: 1 becomes 2.
uint32_t TransferLengthFor(uint32_t requested);

// The time-out of a data-out command: 100 s for CDB byte 2 = 0x13 or for the
// 12-byte form with byte 11 = 0xFB and byte 1 = 3, else 50 s.
uint32_t DataOutTimeout(const uint8_t* cdb, uint8_t cdbLength);

// The sense the system fetched by itself for the last command this thread
// sent (not present when it fetched none).
SenseData LastCommandSense();
