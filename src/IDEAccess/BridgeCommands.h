#pragma once
// The bridge chip's command set: one builder per command. Each fills a
// zero-initialised CDB, hands it to the transport with the caller's buffer and
// returns the transport's 1 or 0. Builders interpret no reply bytes.

#include <cstdint>

// Lengths the system uses for the fixed replies.
constexpr int32_t kInquiryLength = 40;
constexpr int32_t kRequestSenseLength = 18;
constexpr int32_t kChipInfoLength = 16;
constexpr int32_t kBridgeWordLength = 2;
constexpr int32_t kStatusByteLength = 1;
constexpr int32_t kFlashIndexLength = 4;
constexpr int32_t kIdStringLength = 40;

int Inquiry(const char* path, uint8_t* buffer, int32_t length);
int RequestSense(const char* path);
// Both buffer commands send RequestSense after a failure and still return 0.
// `transferred`, when given, receives the bytes that really arrived.
int ReadBuffer(const char* path, uint8_t mode, uint8_t bufferId, uint32_t offset, uint8_t* buffer,
               int32_t length, uint32_t* transferred = nullptr);
int WriteBuffer(const char* path, uint8_t bufferId, uint8_t mode, const uint8_t* buffer,
                uint32_t offset, uint32_t length);
int ReadBridgeMemory(const char* path, uint32_t address, uint8_t* buffer, int32_t length,
                     uint32_t* transferred = nullptr);
int WriteBridgeMemory(const char* path, uint32_t address, const uint8_t* buffer, uint32_t length,
                      uint8_t mode);
int ReadBridgeRegister(const char* path, uint8_t* buffer, uint16_t address, int32_t length);
int ReadBridgeWord(const char* path, uint8_t* buffer);
int GetChipInfo(const char* path, uint8_t* buffer, int32_t length, uint32_t* transferred);
int GetChipInfoAlt(const char* path, uint8_t* buffer, int32_t length, uint32_t* transferred);
int ReadStatusByte(const char* path, uint8_t* buffer);
int ReadFlashIndex(const char* path, uint8_t* buffer);
// `length` must be at least 8: a smaller one is a programming error.
int ReadIdString(const char* path, uint8_t* buffer, int32_t length);
int ReadVendorBlock(const char* path, uint8_t first, uint8_t second, uint8_t* buffer,
                    int32_t length);

// Whether a read that succeeded delivered every byte asked for. A device may
// end a read early and still report good status; the bytes it did not send
// stay zero in the buffer, so such a read must not be taken for the data.
bool ArrivedWhole(uint32_t transferred, int32_t asked);

// 1 when the bridge reported not busy, 0 when it stayed busy through 500 re-reads.
int WaitBridgeReady(const char* path);
// 1 when register 0xFDB0 could be read and its second byte is 180 or more.
int CheckRevisionRegister(const char* path);

constexpr uint16_t kRevisionRegisterAddress = 0xFDB0;
constexpr uint8_t kRevisionRegisterThreshold = 180;
constexpr int kBridgeReadyRereads = 500;
constexpr uint32_t kBridgeReadySleepMs = 10;
constexpr uint8_t kStatusBusyBit = 0x01;
