#pragma once
// What the device program writes to FunctionFS's ep0 before the UDC is bound:
// one interface (mass storage, SCSI transparent command set, Bulk-Only
// Transport) with a bulk-in and a bulk-out endpoint, for full and high speed,
// and the interface's name in US English. FunctionFS then offers the bulk-in
// endpoint as ep1 and the bulk-out endpoint as ep2.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace usb_desc {

constexpr uint8_t kClassMassStorage = 0x08;
constexpr uint8_t kSubclassScsi = 0x06;
constexpr uint8_t kProtocolBulkOnly = 0x50;
constexpr uint8_t kEndpointIn = 0x81;
constexpr uint8_t kEndpointOut = 0x02;
constexpr uint16_t kFullSpeedPacket = 64;
constexpr uint16_t kHighSpeedPacket = 512;
constexpr uint16_t kLanguageUsEnglish = 0x0409;

// The descriptor blob: a 12-byte head (magic, total length, flags), one count
// per speed, then per speed the interface and its two endpoints.
namespace blob {
constexpr size_t kMagic = 0;
constexpr size_t kLength = 4;
constexpr size_t kFlags = 8;
constexpr size_t kFullSpeedCount = 12;
constexpr size_t kHighSpeedCount = 16;
constexpr size_t kFirstDescriptor = 20;
constexpr uint32_t kDescriptorsPerSpeed = 3;
}  // namespace blob

// A standard interface descriptor (9 bytes).
namespace intf {
constexpr size_t kLength = 0;
constexpr size_t kType = 1;
constexpr size_t kNumber = 2;
constexpr size_t kAlternate = 3;
constexpr size_t kEndpoints = 4;
constexpr size_t kClass = 5;
constexpr size_t kSubclass = 6;
constexpr size_t kProtocol = 7;
constexpr size_t kName = 8;
constexpr size_t kSize = 9;
}  // namespace intf

// A standard endpoint descriptor (7 bytes).
namespace ep {
constexpr size_t kLength = 0;
constexpr size_t kType = 1;
constexpr size_t kAddress = 2;
constexpr size_t kAttributes = 3;
constexpr size_t kMaxPacket = 4;  // 16 bits, little-endian
constexpr size_t kInterval = 6;
constexpr size_t kSize = 7;
}  // namespace ep

// The strings blob: magic, total length, string count, language count, then
// the language code and its NUL-terminated strings.
namespace strings {
constexpr size_t kMagic = 0;
constexpr size_t kLength = 4;
constexpr size_t kStringCount = 8;
constexpr size_t kLanguageCount = 12;
constexpr size_t kLanguage = 16;
constexpr size_t kFirstString = 18;
}  // namespace strings

constexpr size_t kPerSpeedSize = intf::kSize + 2 * ep::kSize;
constexpr size_t kDescriptorBlobSize = blob::kFirstDescriptor + 2 * kPerSpeedSize;

}  // namespace usb_desc

extern const char kInterfaceName[];

std::vector<uint8_t> FunctionDescriptors();
std::vector<uint8_t> FunctionStrings();
