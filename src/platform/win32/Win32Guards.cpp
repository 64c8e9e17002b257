#include "platform/win32/Win32Guards.h"

#include <windows.h>

#include "IDEAccess/AsciiCase.h"

namespace {

// Object names are at most MAX_PATH characters.
constexpr size_t kMaxNameLength = MAX_PATH - 1;

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

std::string EnclosureMutexName(const std::string& path) {
  std::string name = "Global\\tq214-";
  for (const char c : AsciiLower(path)) name += c == '\\' ? '#' : c;
  return name.size() > kMaxNameLength ? name.substr(0, kMaxNameLength) : name;
}

std::unique_ptr<SystemGuard> Win32Guards::LockEnclosure(const char* path) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, EnclosureMutexName(path).c_str());
  // No named object to be had: the lock holds within this process only.
  if (mutex == nullptr) return LockWithinProcess(path);
  const DWORD waited = WaitForSingleObject(mutex, 0);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return nullptr;
  }
  return std::make_unique<MutexLock>(mutex);
}

std::unique_ptr<SystemGuard> Win32Guards::KeepAwake(std::string* note) {
  if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0) {
    *note = "the system could not be kept awake (SetThreadExecutionState failed)";
    return nullptr;
  }
  *note = "the system is kept awake (SetThreadExecutionState)";
  return std::make_unique<ThreadAwake>();
}
