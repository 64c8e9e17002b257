#include "platform/win32/gui/RealWindowFixture.h"

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;  // a closed window's; nothing here loops on it
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start >= limitMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

RealWindowTest::~RealWindowTest() {
  window_.reset();
  // The closed window's quit message must not reach the next test.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

void RealWindowTest::Open(const char* scenario) {
  ASSERT_TRUE(BuildScenario(scenario, machine));
  window_ = std::make_unique<UpdaterWindow>(shell);
  ASSERT_TRUE(window_->Open(GetModuleHandleA(nullptr)));
}

void RealWindowTest::Close() {
  SendMessageA(main(), WM_CLOSE, 0, 0);
}
