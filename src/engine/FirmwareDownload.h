#pragma once
// Putting the firmware image into the bridge chip's download buffer and proving
// that it arrived: WRITE BUFFER in 1024-byte pieces, READ BUFFER back, and a
// byte-for-byte comparison. Every operation opens the device by its path per
// command and returns true or false; nothing is kept between calls.

#include <cstdint>

#include "engine/UpdateObserver.h"

// The bytes the manufacturing path copies from the image: the firmware
// without the trailing configuration block.
constexpr uint32_t kMfgImageLength = 0xC400;

// Waits on the manufacturing path: after the ROM, and after each switch.
constexpr uint32_t kRomSettleMs = 2000;
constexpr uint32_t kSwitchSettleMs = 500;
constexpr int kUpdateAttempts = 2;
constexpr int kSwitchTries = 3;

// Loads the image, reads the chip information and makes at most two attempts
// of download, read-back and comparison. Sends nothing when this build may not
// write its image through the backend in force (WriteGuard.h). True when an attempt read back equal
// over offsets 0x000-0x1FF and 0x400-0xC3FF.
bool UpdateFirmware(const char* devicePath, UpdateObserver* observer = nullptr);

// Writes `image` (kFirmwareImageSize readable bytes) into the chip's download
// buffer at `baseOffset`. `length` is how many image bytes the manufacturing
// path sends; `mfgPath` chooses that path; `romSelect` picks its ROM and makes
// a failed switch fatal.
bool DownloadFirmware(const char* devicePath, uint32_t baseOffset, const uint8_t* image,
                      uint32_t length, bool mfgPath, bool romSelect,
                      UpdateObserver* observer = nullptr);

// Reads the download buffer back into `dest` of `size` bytes. Once the
// descriptor was accepted, all `size` bytes of `dest` are written: what was
// read, then zeros. False when the descriptor is refused, a piece fails or
// nothing was there to read.
bool ReadBackFirmware(const char* devicePath, uint32_t baseOffset, uint8_t* dest, uint32_t size,
                      UpdateObserver* observer = nullptr);
