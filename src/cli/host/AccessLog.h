#pragma once
// Notes the first device that the system refused to the tool (no rights to
// open it, or a command the kernel would not pass on), so that the tool can
// say plainly that access is the problem rather than that no device is there;
// and which paths opened at all. Wraps whichever backend is in force and
// changes nothing of what passes. Safe from several threads; its answers are
// read once the work has ended.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "seams/WrappingBackend.h"

class AccessLog final : public WrappingBackend {
 public:
  AccessLog(ScsiBackend& inner, std::function<bool(uint32_t)> isAccessError)
      : WrappingBackend(inner), isAccessError_(std::move(isAccessError)) {}

  BackendResult Execute(const ScsiRequest& request) override;
  BackendResult QueryDeviceNumber(const char* path, StorageDeviceNumber* result) override;

  bool refused() const { return refused_; }
  // The path and error code of the first refusal.
  const std::string& path() const { return path_; }
  uint32_t code() const { return code_; }
  // Whether `path` was refused at some point.
  bool Refused(const std::string& path) const {
    std::lock_guard<std::mutex> guard(lock_);
    return refusedPaths_.count(path) != 0;
  }
  // Whether `path` opened for some request, and the error code of its last
  // open that failed (0: none failed).
  bool Opened(const std::string& path) const {
    std::lock_guard<std::mutex> guard(lock_);
    return openedPaths_.count(path) != 0;
  }
  uint32_t OpenError(const std::string& path) const;

 private:
  void Note(const char* path, const BackendResult& result);

  std::function<bool(uint32_t)> isAccessError_;
  bool refused_ = false;
  std::string path_;
  uint32_t code_ = 0;
  std::set<std::string> refusedPaths_;
  std::set<std::string> openedPaths_;
  std::map<std::string, uint32_t> openErrors_;
  mutable std::mutex lock_;
};
