#include "cli/AccessWatch.h"

BackendResult AccessWatch::Execute(const ScsiRequest& request) {
  const BackendResult result = inner_.Execute(request);
  Note(request.path, result);
  return result;
}

BackendResult AccessWatch::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  const BackendResult outcome = inner_.QueryDeviceNumber(path, result);
  Note(path, outcome);
  return outcome;
}

void AccessWatch::Note(const char* path, const BackendResult& result) {
  if (result.lastError == 0 || path == nullptr || !isAccessError_(result.lastError)) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (!refused_) {
    refused_ = true;
    path_ = path;
    code_ = result.lastError;
  }
  refusedPaths_.insert(path);
}
