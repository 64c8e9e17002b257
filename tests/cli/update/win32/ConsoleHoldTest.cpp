// Ctrl+C during an update: the console handler holds it and names it, and the
// process goes on. Unheld, the same event would end the test program. The
// console's QuickEdit is off over the hold.

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "cli/update/win32/ConsoleHold.h"

namespace {

// Also: QuickEdit, on as Windows sets it, is off while holding and on again
// after the hold, which held a request.
TEST(ConsoleHold, CtrlCIsHeldNoticedOnceAndNamed) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD before = 0;
  const bool console = GetConsoleMode(input, &before) != 0;
  SetConsoleMode(input, before | ENABLE_EXTENDED_FLAGS | ENABLE_QUICK_EDIT_MODE);
  std::ostringstream err;
  ConsoleHold hold;
  hold.Begin([&err] { err << "notice\n"; });
  if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    hold.End();
    GTEST_SKIP() << "no console to send Ctrl+C to (error " << GetLastError() << ")";
  }
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  // The system runs the handler on a thread of its own.
  Sleep(500);
  DWORD holding = 0;
  GetConsoleMode(input, &holding);
  EXPECT_EQ(std::vector<std::string>{"Ctrl+C"}, hold.End());
  EXPECT_EQ("notice\n", err.str());
  DWORD after = 0;
  GetConsoleMode(input, &after);
  SetConsoleMode(input, before);
  ASSERT_TRUE(console);
  EXPECT_EQ(0u, holding & ENABLE_QUICK_EDIT_MODE) << std::hex << holding;
  EXPECT_NE(0u, after & ENABLE_QUICK_EDIT_MODE) << std::hex << after;
}

// The console's input, whatever standard input is.
HANDLE ConsoleInput() {
  return CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

// Standard input redirected (here to NUL, as `< NUL` would): QuickEdit goes
// off all the same, and comes back after the hold.
TEST(ConsoleHold, QuickEditIsOffAlsoWithStandardInputRedirected) {
  const HANDLE console = ConsoleInput();
  DWORD before = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &before)) {
    GTEST_SKIP() << "no console (error " << GetLastError() << ")";
  }
  SetConsoleMode(console, before | ENABLE_EXTENDED_FLAGS | ENABLE_QUICK_EDIT_MODE);
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  SetStdHandle(STD_INPUT_HANDLE, nul);
  DWORD holding = 0;
  DWORD after = 0;
  {
    ConsoleHold hold;
    hold.Begin([] {});
    GetConsoleMode(console, &holding);
    hold.End();
    GetConsoleMode(console, &after);
  }
  SetStdHandle(STD_INPUT_HANDLE, input);
  CloseHandle(nul);
  SetConsoleMode(console, before);
  CloseHandle(console);
  EXPECT_EQ(0u, holding & ENABLE_QUICK_EDIT_MODE) << std::hex << holding;
  EXPECT_NE(0u, after & ENABLE_QUICK_EDIT_MODE) << std::hex << after;
}

}  // namespace
