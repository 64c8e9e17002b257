// Ctrl+C during an update: the console handler holds it and names it, and the
// process goes on. Unheld, the same event would end the test program.

#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>

#include "cli/update/win32/ConsoleHold.h"

namespace {

TEST(ConsoleHold, CtrlCIsHeldNoticedOnceAndNamed) {
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
  EXPECT_EQ(std::vector<std::string>{"Ctrl+C"}, hold.End());
  EXPECT_EQ("notice\n", err.str());
}

}  // namespace
