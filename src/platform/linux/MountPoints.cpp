#include "platform/linux/MountPoints.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// mountinfo fields: mount id, parent id, major:minor, root, mount point, ...
constexpr size_t kDeviceField = 2;
constexpr size_t kMountPointField = 4;

bool ParseDeviceNumbers(const std::string& text, DeviceNumbers* out) {
  std::istringstream in(text);
  char colon = 0;
  DeviceNumbers numbers;
  if (!(in >> numbers.major >> colon >> numbers.minor) || colon != ':') return false;
  in >> std::ws;
  if (!in.eof()) return false;
  *out = numbers;
  return true;
}

bool ReadFile(const fs::path& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool ReadDevAttribute(const fs::path& dir, DeviceNumbers* out) {
  std::string text;
  return ReadFile(dir / "dev", &text) && ParseDeviceNumbers(text, out);
}

bool IsOctalDigit(char c) {
  return c >= '0' && c <= '7';
}

// "\040" is a blank, "\134" a backslash; anything else stays as it is.
std::string DecodeEscapes(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
        IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
      const int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
      out += static_cast<char>(value);
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

}  // namespace

std::vector<DeviceNumbers> DiskAndPartitionNumbers(const std::string& sysRoot,
                                                   const std::string& name) {
  std::vector<DeviceNumbers> numbers;
  const fs::path disk = fs::path(sysRoot) / "block" / name;
  DeviceNumbers own;
  if (!ReadDevAttribute(disk, &own)) return numbers;
  numbers.push_back(own);
  // A partition is a directory of the disk's with a `partition` attribute.
  std::vector<fs::path> partitions;
  std::error_code error;
  for (fs::directory_iterator it(disk, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (fs::exists(it->path() / "partition", ignored)) partitions.push_back(it->path());
  }
  std::sort(partitions.begin(), partitions.end());
  for (const fs::path& partition : partitions) {
    DeviceNumbers number;
    if (ReadDevAttribute(partition, &number)) numbers.push_back(number);
  }
  return numbers;
}

std::vector<std::string> MountPointsIn(const std::string& mountinfo,
                                       const std::vector<DeviceNumbers>& devices) {
  std::vector<std::string> points;
  std::istringstream lines(mountinfo);
  std::string line;
  while (std::getline(lines, line)) {
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() <= kMountPointField) continue;
    DeviceNumbers device;
    if (!ParseDeviceNumbers(fields[kDeviceField], &device)) continue;
    if (std::find(devices.begin(), devices.end(), device) == devices.end()) continue;
    const std::string point = DecodeEscapes(fields[kMountPointField]);
    if (std::find(points.begin(), points.end(), point) == points.end()) points.push_back(point);
  }
  return points;
}

std::vector<std::string> MountPointsOfDisk(const std::string& sysRoot, const std::string& procRoot,
                                           const std::string& name) {
  const std::vector<DeviceNumbers> devices = DiskAndPartitionNumbers(sysRoot, name);
  std::string mountinfo;
  if (devices.empty() || !ReadFile(fs::path(procRoot) / "self" / "mountinfo", &mountinfo)) {
    return {};
  }
  return MountPointsIn(mountinfo, devices);
}
