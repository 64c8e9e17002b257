#include "support/TestSeams.h"

const char SimTest::kUsbPath[] =
    "\\\\?\\usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";

SimTest::SimTest()
    : chip(machine.AddDisk(kUsbPath, VirtualEnclosure::Tbr640())),
      seams_(Seams{&machine, &shell}) {}
