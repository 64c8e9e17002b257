// The window's taskbar button during an update: the taskbar list is taken
// once the shell says the button exists, shows the progress, then nothing
// after a PASS and red after a FAIL until a refresh replaced the result.

#include <windows.h>

#include "platform/win32/gui/RealWindowFixture.h"
#include "platform/win32/gui/WindowMessages.h"

namespace {

struct TaskbarCase {
  const char* scenario;
  const char* result;
  TBPFLAG withResult;
};

class TaskbarButtonTest : public RealWindowTest,
                          public ::testing::WithParamInterface<TaskbarCase> {};

TEST_P(TaskbarButtonTest, ShowsTheUpdateWithoutAFailedCall) {
  const TaskbarCase& c = GetParam();
  Open(c.scenario);
  const TaskbarButton::Trace& trace = view().signals().taskbar().trace();
  // What the shell sends once the window's button exists; Wine never does.
  SendMessageA(main(), RegisterWindowMessageA("TaskbarButtonCreated"), 0, 0);
  ASSERT_TRUE(trace.listTaken) << "the system's taskbar list";

  SendMessageA(main(), WM_COMMAND, MAKEWPARAM(control_id::kUpdate, BN_CLICKED),
               reinterpret_cast<LPARAM>(Child(form().btn_Update)));
  ASSERT_EQ(c.result, form().pnl_Descript_3.text());
  EXPECT_GT(trace.progressValues, 98) << "a value per piece written and read back";
  EXPECT_EQ(c.withResult, trace.state);
  form().btn_RefreshClick(&form().btn_Refresh);
  EXPECT_EQ(TBPF_NOPROGRESS, trace.state) << "after a refresh";
  EXPECT_EQ(0, trace.failed);
  EXPECT_GT(trace.succeeded, 0);
}

INSTANTIATE_TEST_SUITE_P(Results, TaskbarButtonTest,
                         ::testing::Values(TaskbarCase{"outdated", "PASS", TBPF_NOPROGRESS},
                                           TaskbarCase{"verify-fail", "FAIL", TBPF_ERROR}));

}  // namespace
