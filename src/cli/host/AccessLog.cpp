#include "cli/host/AccessLog.h"

BackendResult AccessLog::Execute(const ScsiRequest& request) {
  const BackendResult result = inner_.Execute(request);
  Note(request.path, result);
  return result;
}

BackendResult AccessLog::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  const BackendResult outcome = inner_.QueryDeviceNumber(path, result);
  Note(path, outcome);
  return outcome;
}

uint32_t AccessLog::OpenError(const std::string& path) const {
  std::lock_guard<std::mutex> guard(lock_);
  const auto found = openErrors_.find(path);
  return found == openErrors_.end() ? 0 : found->second;
}

void AccessLog::Note(const char* path, const BackendResult& result) {
  if (path == nullptr) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (result.opened) {
    openedPaths_.insert(path);
  } else {
    openErrors_[path] = result.lastError;
  }
  if (result.lastError == 0 || !isAccessError_(result.lastError)) return;
  if (!refused_) {
    refused_ = true;
    path_ = path;
    code_ = result.lastError;
  }
  refusedPaths_.insert(path);
}
