// The serial number in a USB mass-storage disk's interface path, as Windows
// forms it; none where the system made the instance up or the bus is another.

#include <gtest/gtest.h>

#include "IDEAccess/InterfaceSerial.h"

namespace {

TEST(InterfaceSerial, TheInstanceBeforeItsUnitNumberUnlessTheSystemMadeItUp) {
  const std::pair<const char*, const char*> cases[] = {
      {"\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
       "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}",
       "0000000000000214"},
      {"\\\\?\\USBSTOR#Disk&Ven_Orvexa&Prod_TQ-214&Rev_0100#AB12cd&1#{53f56307-b6bf-11d0-94f2-"
       "00a0c91efb8b}",
       "AB12cd"},
      // No serial number: the system's own instance.
      {"\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214&rev_0100#7&2a3b4c5d&0#{53f56307-b6bf-11d0-"
       "94f2-00a0c91efb8b}",
       ""},
      // UAS and IEEE 1394 disks, a raw path, something cut short.
      {"\\\\?\\scsi#disk&ven_orvexa&prod_tq-214#4&1a2b3c&0&000000#{53f56307-b6bf-11d0-94f2-"
       "00a0c91efb8b}",
       ""},
      {"\\\\?\\sbp2#orvexa&tq-214&lun0#1&2a3b&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", ""},
      {"\\\\.\\PhysicalDrive3", ""},
      {"\\\\?\\usbstor#disk&ven_orvexa", ""},
      {"\\\\?\\usbstor#disk&ven_orvexa#&0#", ""},
  };
  for (const auto& [path, serial] : cases) EXPECT_EQ(serial, SerialOfInterfacePath(path)) << path;
}

}  // namespace
