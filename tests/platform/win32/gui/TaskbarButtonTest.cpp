// The window's taskbar button during an update: the taskbar list is taken
// once the shell says the button exists, shows the progress, then nothing
// after a PASS and red after a FAIL until a refresh replaced the result.

#include <windows.h>

#include "platform/win32/gui/RealWindowFixture.h"
#include "platform/win32/gui/WindowMessages.h"

namespace {

// What was asked of the window's taskbar list and how it answered, while
// the trace lives.
struct Trace final : TaskbarListWatcher {
  explicit Trace(UpdateSignals& signals) : watched(signals) { watched.WatchTaskbar(this); }
  ~Trace() override { watched.WatchTaskbar(nullptr); }
  Trace(const Trace&) = delete;
  Trace& operator=(const Trace&) = delete;

  UpdateSignals& watched;
  bool listTaken = false;
  int succeeded = 0;
  int failed = 0;
  int progressValues = 0;
  TBPFLAG state = TBPF_NOPROGRESS;  // the last one the list took

  void ListTaken() override { listTaken = true; }
  void Answered(const TBPFLAG* asked, HRESULT answer) override {
    ++(SUCCEEDED(answer) ? succeeded : failed);
    if (asked == nullptr) ++progressValues;
    if (asked != nullptr && SUCCEEDED(answer)) state = *asked;
  }
};

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
  Trace trace(view().signals());
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
