// Which enclosure tq214 works on, and how it names a disk's bus.

#include <gtest/gtest.h>

#include "cli/enclosure/Candidates.h"
#include "cli/enclosure/DeviceChoice.h"
#include "support/WindowFixture.h"

namespace {

Candidate Disk(const std::string& path, ChipCode code, std::vector<std::string> places = {}) {
  Candidate candidate;
  candidate.path = path;
  candidate.shown = "/dev/" + path;
  candidate.code = code;
  candidate.places = std::move(places);
  return candidate;
}

TEST(CliDeviceChoice, TheOneTbr640IsChosenAmongOtherBridges) {
  const std::vector<Candidate> disks = {Disk("sdb", 3), Disk("sdc", 0x0113), Disk("sdd", 0)};
  const DeviceChoice choice = ChooseDevice(disks, "");
  ASSERT_EQ(ChoiceOutcome::kChosen, choice.outcome);
  EXPECT_EQ(&disks[1], choice.device);
  ASSERT_EQ(1u, choice.tbr640s.size());
}

TEST(CliDeviceChoice, DeviceNamesAShownPathAPathOrAPlace) {
  const std::vector<Candidate> disks = {Disk("sdb", 19, {"/media/a"}),
                                        Disk("sdc", 19, {"/media/b", "/mnt/c"}), Disk("sdd", 3)};
  EXPECT_EQ(&disks[1], ChooseDevice(disks, "/dev/sdc").device);
  EXPECT_EQ(&disks[1], ChooseDevice(disks, "sdc").device);
  EXPECT_EQ(&disks[1], ChooseDevice(disks, "/mnt/c").device);
  EXPECT_EQ(&disks[0], ChooseDevice(disks, "/DEV/SDB").device) << "case does not matter";
  // Named, it is chosen whatever its family; the device-information run
  // decides then.
  EXPECT_EQ(&disks[2], ChooseDevice(disks, "/dev/sdd").device);
  const DeviceChoice missing = ChooseDevice(disks, "/dev/sde");
  EXPECT_EQ(ChoiceOutcome::kNotFound, missing.outcome);
  EXPECT_EQ(nullptr, missing.device);
}

// --device is matched as written before it is taken for a file: a serial
// number, a place or a path; what it names must be one unit.
TEST(CliDeviceChoice, DeviceNamesOneUnitByItsTextAsWrittenFirst) {
  std::vector<Candidate> disks = {Disk("sdb", 19, {"/media/a"}), Disk("sdc", 19), Disk("sdd", 19)};
  disks[0].serial = disks[1].serial = "0000000000000214";  // a cheap bridge's repeated serial
  disks[2].serial = "0000000000000437";
  const auto resolve = [](const std::string& text) -> std::string {
    if (text == "0000000000000437") return "/root/0000000000000437";  // a file in the folder
    if (text == "/dev/disk/by-id/usb-TQ-214") return "/dev/sdd";      // a link to the node
    return text;
  };
  struct Case {
    const char* wanted;
    ChoiceOutcome outcome;
    std::vector<const Candidate*> named;
  } const cases[] = {
      {"0000000000000214", ChoiceOutcome::kSeveralNamed, {&disks[0], &disks[1]}},
      {"#0000000000000214", ChoiceOutcome::kSeveralNamed, {&disks[0], &disks[1]}},
      {"0000000000000437", ChoiceOutcome::kChosen, {&disks[2]}},
      {"/media/a", ChoiceOutcome::kChosen, {&disks[0]}},
      {"/dev/sdc", ChoiceOutcome::kChosen, {&disks[1]}},
      {"/dev/disk/by-id/usb-TQ-214", ChoiceOutcome::kChosen, {&disks[2]}},
      {"/dev/sde", ChoiceOutcome::kNotFound, {}},
  };
  for (const Case& c : cases) {
    const DeviceChoice choice = ChooseDevice(disks, c.wanted, false, resolve);
    EXPECT_EQ(c.outcome, choice.outcome) << c.wanted;
    EXPECT_EQ(c.named, choice.named) << c.wanted;
    EXPECT_EQ(c.named.size() == 1 ? c.named[0] : nullptr, choice.device) << c.wanted;
  }
}

TEST(CliDeviceChoice, RawDevicePathsAreVolumesAndPhysicalDrives) {
  for (const char* raw :
       {"\\\\.\\E:", "\\\\.\\e:", "\\\\.\\PhysicalDrive0", "\\\\.\\physicaldrive12"}) {
    EXPECT_TRUE(IsRawDevicePath(raw)) << raw;
  }
  for (const char* other :
       {"E:", "\\\\.\\E:\\", "\\\\.\\EF:", "\\\\.\\1:", "\\\\.\\PhysicalDrive",
        "\\\\.\\PhysicalDrive1a", "\\\\?\\E:", "/dev/sda", "\\\\.\\usbstor#disk", "\\\\.\\"}) {
    EXPECT_FALSE(IsRawDevicePath(other)) << other;
  }
}

TEST(CliDeviceChoice, ARawPathNoCandidateHasIsLeftToBeProbedWhereTheMachineTakesIt) {
  const std::vector<Candidate> disks = {Disk("usbstor#disk1", 19, {"E:"})};
  EXPECT_EQ(ChoiceOutcome::kRawPath, ChooseDevice(disks, "\\\\.\\PhysicalDrive3", true).outcome);
  EXPECT_EQ(ChoiceOutcome::kRawPath, ChooseDevice(disks, "\\\\.\\G:", true).outcome);
  EXPECT_EQ(nullptr, ChooseDevice(disks, "\\\\.\\G:", true).device);
  EXPECT_EQ(ChoiceOutcome::kNotFound, ChooseDevice(disks, "\\\\.\\PhysicalDrive3").outcome)
      << "a machine without raw paths";
  EXPECT_EQ(ChoiceOutcome::kNotFound, ChooseDevice(disks, "\\\\.\\G:\\", true).outcome);
  // The volume path of a candidate's letter names that candidate.
  const DeviceChoice volume = ChooseDevice(disks, "\\\\.\\e:", true);
  EXPECT_EQ(ChoiceOutcome::kChosen, volume.outcome);
  EXPECT_EQ(&disks[0], volume.device);
}

// The bus label follows the window's list prefix for the same path.
TEST_F(WindowTest, CliBusLabelMatchesTheWindowsListPrefix) {
  using namespace window_paths;
  for (const char* path : {kUsb, kUas, kFirewire}) {
    VirtualMachine one;
    one.AddDisk(path, VirtualEnclosure::Tbr640());
    ScopedSeams seams(Seams{&one, &shell, &one, &one, &resources});
    TForm1 window;
    ASSERT_FALSE(window.cbb_DeviceList.items().empty());
    const std::string item = window.cbb_DeviceList.items()[0];
    EXPECT_EQ("<<" + std::string(BusLabel(path)) + ">> ", item.substr(0, item.find(' ') + 1))
        << path;
  }
  EXPECT_STREQ("1394", BusLabel("sbp2:/dev/sdd scsi"));
  EXPECT_STREQ("UASP", BusLabel("scsi:/dev/sdc"));
  EXPECT_STREQ("USB", BusLabel("usbstor:/dev/sdb"));
}

}  // namespace
