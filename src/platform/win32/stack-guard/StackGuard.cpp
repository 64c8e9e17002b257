// The stack protector's guard and its failure handler for the Windows
// programs, in place of libssp's: libssp sets its guard before main from a
// crypto provider (CryptAcquireContext), which loads rsaenh.dll and bcrypt.dll
// by name while the program's folder is still searched. This guard comes from
// what the system tells without loading anything, as Microsoft's C runtime
// makes its stack cookie: the time, the performance counter, the process and
// thread numbers and where the loader put the program and its stack.

#include <windows.h>

#include <cstdint>

// The names are those the compiler and libssp call.
// NOLINTBEGIN(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" {

uintptr_t __stack_chk_guard = 0x2f8a7c53u;

// The guard is set here, so this function has none of its own.
__attribute__((constructor(101), no_stack_protector)) static void SetStackGuard() {
  FILETIME time = {};
  GetSystemTimeAsFileTime(&time);
  LARGE_INTEGER counter = {};
  QueryPerformanceCounter(&counter);
  uintptr_t guard = time.dwLowDateTime ^ time.dwHighDateTime;
  guard ^= static_cast<uintptr_t>(counter.LowPart) ^ static_cast<uintptr_t>(counter.HighPart);
  guard ^= GetCurrentProcessId() << 16;
  guard ^= GetCurrentThreadId();
  guard ^= GetTickCount() << 8;
  guard ^= reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr));
  guard ^= reinterpret_cast<uintptr_t>(&counter);
  if (guard != 0) __stack_chk_guard = guard;
}

// A protected function found its guard overwritten: the stack is not to be
// trusted, so nothing more runs.
[[noreturn]] void __stack_chk_fail() {
  TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  __builtin_trap();
}

// What MinGW-w64's fortified functions call when a write would overrun its
// buffer (libssp's would bring libssp's guard with it).
[[noreturn]] void __chk_fail() {
  __stack_chk_fail();
}

}  // extern "C"
// NOLINTEND(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
