#include "usb-gadget/UsbDescriptors.h"

#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>

#include <cstring>

#include "usb-gadget/BotWire.h"

using namespace usb_desc;

static_assert(sizeof(usb_interface_descriptor) == intf::kSize, "interface descriptor size");
static_assert(USB_DT_INTERFACE_SIZE == intf::kSize, "interface descriptor size");
static_assert(sizeof(usb_endpoint_descriptor_no_audio) == ep::kSize, "endpoint descriptor size");
static_assert(USB_DT_ENDPOINT_SIZE == ep::kSize, "endpoint descriptor size");
static_assert(sizeof(usb_functionfs_descs_head_v2) == blob::kFullSpeedCount, "descriptor head");
static_assert(sizeof(usb_functionfs_strings_head) == strings::kLanguage, "strings head");

const char kInterfaceName[] = "TQ-214 Mass Storage";

namespace {

void PutInterface(uint8_t* at) {
  at[intf::kLength] = intf::kSize;
  at[intf::kType] = USB_DT_INTERFACE;
  at[intf::kNumber] = 0;
  at[intf::kAlternate] = 0;
  at[intf::kEndpoints] = 2;
  at[intf::kClass] = kClassMassStorage;
  at[intf::kSubclass] = kSubclassScsi;
  at[intf::kProtocol] = kProtocolBulkOnly;
  at[intf::kName] = 1;
}

void PutBulkEndpoint(uint8_t* at, uint8_t address, uint16_t packet) {
  at[ep::kLength] = ep::kSize;
  at[ep::kType] = USB_DT_ENDPOINT;
  at[ep::kAddress] = address;
  at[ep::kAttributes] = USB_ENDPOINT_XFER_BULK;
  PutLe16(&at[ep::kMaxPacket], packet);
  at[ep::kInterval] = 0;
}

void PutSpeed(uint8_t* at, uint16_t packet) {
  PutInterface(at);
  PutBulkEndpoint(at + intf::kSize, kEndpointIn, packet);
  PutBulkEndpoint(at + intf::kSize + ep::kSize, kEndpointOut, packet);
}

}  // namespace

std::vector<uint8_t> FunctionDescriptors() {
  std::vector<uint8_t> bytes(kDescriptorBlobSize, 0);
  PutLe32(&bytes[blob::kMagic], FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
  PutLe32(&bytes[blob::kLength], static_cast<uint32_t>(bytes.size()));
  PutLe32(&bytes[blob::kFlags], FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
  PutLe32(&bytes[blob::kFullSpeedCount], blob::kDescriptorsPerSpeed);
  PutLe32(&bytes[blob::kHighSpeedCount], blob::kDescriptorsPerSpeed);
  PutSpeed(&bytes[blob::kFirstDescriptor], kFullSpeedPacket);
  PutSpeed(&bytes[blob::kFirstDescriptor + kPerSpeedSize], kHighSpeedPacket);
  return bytes;
}

std::vector<uint8_t> FunctionStrings() {
  const size_t nameSize = sizeof kInterfaceName;  // with its NUL
  std::vector<uint8_t> bytes(strings::kFirstString + nameSize, 0);
  PutLe32(&bytes[strings::kMagic], FUNCTIONFS_STRINGS_MAGIC);
  PutLe32(&bytes[strings::kLength], static_cast<uint32_t>(bytes.size()));
  PutLe32(&bytes[strings::kStringCount], 1);
  PutLe32(&bytes[strings::kLanguageCount], 1);
  PutLe16(&bytes[strings::kLanguage], kLanguageUsEnglish);
  std::memcpy(&bytes[strings::kFirstString], kInterfaceName, nameSize);
  return bytes;
}
