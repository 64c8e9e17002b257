#include "platform/win32/Win32Guards.h"

#include <windows.h>
#include <winioctl.h>

#include "seams/AsciiCase.h"

namespace {

// Object names are at most MAX_PATH characters.
constexpr size_t kMaxNameLength = MAX_PATH - 1;
constexpr char kNamePrefix[] = "Global\\tq214-";

class MutexLock final : public SystemGuard {
 public:
  explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
  ~MutexLock() override {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
};

class ThreadAwake final : public SystemGuard {
 public:
  ~ThreadAwake() override { SetThreadExecutionState(ES_CONTINUOUS); }
};

}  // namespace

std::string DiskMutexName(uint32_t deviceNumber) {
  return kNamePrefix + std::string("disk") + std::to_string(deviceNumber);
}

std::string EnclosureMutexName(const std::string& path) {
  std::string name = kNamePrefix;
  for (const char c : AsciiLower(path)) name += c == '\\' ? '#' : c;
  return name.size() > kMaxNameLength ? name.substr(0, kMaxNameLength) : name;
}

std::string Win32Guards::MutexNameOf(const char* path) {
  // The query opens the disk without access rights: no command reaches it.
  StorageDeviceNumber number;
  const BackendResult asked = devices_.QueryDeviceNumber(path, &number);
  if (asked.opened && asked.requestSucceeded && number.DeviceType == FILE_DEVICE_DISK) {
    return DiskMutexName(number.DeviceNumber);
  }
  return EnclosureMutexName(path);
}

EnclosureLock Win32Guards::LockEnclosure(const char* path) {
  const std::string name = MutexNameOf(path);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) {
    const DWORD error = GetLastError();
    // Another user's mutex of that name: held.
    if (error == ERROR_ACCESS_DENIED) return BusyLock();
    return RefusedLock(name + ": the enclosure's lock cannot be made (error " +
                       std::to_string(error) + ")");
  }
  const DWORD waited = WaitForSingleObject(mutex, 0);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return BusyLock();
  }
  return TakenLock(std::make_unique<MutexLock>(mutex));
}

// Its holder keeps the mutex open from taking it to letting go, and nobody
// else keeps it open longer than a try: it is held while it exists.
bool Win32Guards::EnclosureBusy(const char* path) {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, MutexNameOf(path).c_str());
  if (mutex == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  CloseHandle(mutex);
  return true;
}

std::unique_ptr<SystemGuard> Win32Guards::KeepAwake(std::string* note) {
  if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0) {
    *note = "the system could not be kept awake (SetThreadExecutionState failed)";
    return nullptr;
  }
  *note = "the system is kept awake (SetThreadExecutionState)";
  return std::make_unique<ThreadAwake>();
}
