#pragma once
// Where a disk's file systems are mounted on Linux: every line of
// <proc>/self/mountinfo whose device number is the disk's own or one of its
// partitions', as sysfs gives them.

#include <string>
#include <vector>

struct DeviceNumbers {
  unsigned major = 0;
  unsigned minor = 0;
  bool operator==(const DeviceNumbers& o) const { return major == o.major && minor == o.minor; }
};

// The numbers of <sys>/block/<name> and of its partitions (sdb1, sdb2, ...).
std::vector<DeviceNumbers> DiskAndPartitionNumbers(const std::string& sysRoot,
                                                   const std::string& name);

// The mount points in `mountinfo` (the file's text) whose device is one of
// `devices`: in the file's order, each once, with the kernel's octal escapes
// (\040 for a blank) decoded. Malformed lines are passed over.
std::vector<std::string> MountPointsIn(const std::string& mountinfo,
                                       const std::vector<DeviceNumbers>& devices);

// Both together for disk `name`; empty when nothing is mounted or a file
// cannot be read.
std::vector<std::string> MountPointsOfDisk(const std::string& sysRoot, const std::string& procRoot,
                                           const std::string& name);
