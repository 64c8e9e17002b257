#pragma once
// Runs a program against a recorded session instead of a machine: the disk
// interface list, drive letters, device numbers, flushes, mount points and
// every device command are answered as recorded.
//
// Device commands are strict: each must be the next one recorded for its
// device path, with the same command block, direction, length, time-out and
// share mode, and the same data sent: byte for byte where the session keeps
// the bytes, else by SHA-256 (of the bytes, on the side that has them). (Per
// path, so that a run that updated several enclosures side by side replays
// whatever the order in which its threads' commands interleave.) The first
// that differs ends the replay: it is said once (onDiverge), and from then on
// no device opens. The other answers are looked up by what is asked (the
// first unused answer to the same question, else the last one given), and a
// question never recorded gets the answer of a system that has nothing there.

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "seams/DiskInterfaces.h"
#include "seams/ScsiBackend.h"
#include "seams/Volumes.h"
#include "session/SessionEvent.h"

class SessionReplayer final : public ScsiBackend, public DiskInterfaces, public Volumes {
 public:
  explicit SessionReplayer(Session session);

  const SessionHeader& header() const { return session_.header; }

  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;
  DeviceReach reach() const override { return DeviceReach::kVirtual; }

  bool Open() override;
  InterfaceStep Get(uint32_t index, std::string* path) override;
  void Close() override {}

  uint32_t LogicalDrives() override;
  uint32_t WindowsDirectory(char* buffer, uint32_t size) override;
  uint32_t DriveType(const char* rootPath) override;
  uint32_t FlushVolume(const char* place) override;

  // tq214's answer for where the disk at `path` has its volumes; null when
  // the session holds none.
  const SessionEvent* PlacesOf(const std::string& path);
  // How tq214 showed the disk at `path` to the user; `path` when not recorded.
  std::string ShownPathOf(const std::string& path) const;

  // Called once, with the one line that says where the run left the session.
  void SetOnDiverge(std::function<void(const std::string&)> onDiverge) {
    onDiverge_ = std::move(onDiverge);
  }
  bool diverged() const;
  const std::string& divergence() const { return divergence_; }
  // "the run ended with 3 recorded commands left over, ..." or "" when none is.
  std::string LeftOver() const;

 private:
  const SessionEvent* Answer(EventKind kind, const std::function<bool(const SessionEvent&)>& is);
  BackendResult Diverge(const std::string& message);

  Session session_;
  std::vector<size_t> commands_;                       // indices of the device commands, in order
  std::map<std::string, std::deque<size_t>> pending_;  // per path: into commands_
  size_t replayed_ = 0;
  std::vector<bool> used_;
  std::string divergence_;
  std::function<void(const std::string&)> onDiverge_;
  mutable std::mutex lock_;
};
