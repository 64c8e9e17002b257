#include "platform/linux/NodePathBackend.h"

#include <string>

#include "platform/linux/SysfsDisks.h"

BackendResult NodePathBackend::Execute(const ScsiRequest& request) {
  if (request.path == nullptr) return inner_.Execute(request);
  const std::string node = NodeOfDiskPath(request.path);
  ScsiRequest onNode = request;
  onNode.path = node.c_str();
  return inner_.Execute(onNode);
}

BackendResult NodePathBackend::QueryDeviceNumber(const char* path, StorageDeviceNumber* result) {
  if (path == nullptr) return inner_.QueryDeviceNumber(path, result);
  return inner_.QueryDeviceNumber(NodeOfDiskPath(path).c_str(), result);
}

std::unique_ptr<DeviceHandle> NodePathBackend::OpenHandle(const char* path) {
  if (path == nullptr) return inner_.OpenHandle(path);
  return inner_.OpenHandle(NodeOfDiskPath(path).c_str());
}
