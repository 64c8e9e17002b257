#pragma once
// The system's list of present disk interfaces, through the device-installation
// functions on the disk interface class. One detail block serves every
// interface of the list.

#include "seams/DiskInterfaces.h"

class Win32DiskInterfaces final : public DiskInterfaces {
 public:
  Win32DiskInterfaces() = default;
  ~Win32DiskInterfaces() override { Close(); }
  Win32DiskInterfaces(const Win32DiskInterfaces&) = delete;
  Win32DiskInterfaces& operator=(const Win32DiskInterfaces&) = delete;

  bool Open() override;
  InterfaceStep Get(uint32_t index, std::string* path) override;
  void Close() override;

 private:
  void* set_ = nullptr;     // the device information set; null when closed
  void* detail_ = nullptr;  // the zero-filled 1024-byte detail block
};
