// The session and the window's end: while the firmware is being written the
// window refuses to let the session end and tells the system why, a session
// that ends anyway waits for the work, a close is refused, and closing
// unregisters the device notification before the window goes.

#include <windows.h>
// <commctrl.h> uses the base types that <windows.h> declares.
#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/win32/gui/RealWindowFixture.h"
#include "platform/win32/gui/User32Function.h"
#include "platform/win32/gui/WindowMessages.h"

namespace {

using ShutdownBlockReasonQueryFn = BOOL(WINAPI*)(HWND, LPWSTR, DWORD*);

class SessionEndTest : public RealWindowTest {
 protected:
  // Presses Update; `during` runs on the worker after the third firmware
  // piece. Returns the update's result line.
  std::string UpdateWith(const std::function<void()>& during) {
    int pieces = 0;
    machine.SetAfterCommand([this, &pieces, &during](const TraceEntry& entry) {
      ++commands;
      if (entry.kind == CommandKind::kWriteBufferData && ++pieces == 3) during();
    });
    SendMessageA(main(), WM_COMMAND, MAKEWPARAM(control_id::kUpdate, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Child(form().btn_Update)));
    machine.SetAfterCommand(nullptr);
    return form().pnl_Descript_3.text();
  }
  LRESULT QueryEndSession(LPARAM how) { return SendMessageA(main(), WM_QUERYENDSESSION, 0, how); }

  std::atomic<int> commands{0};
};

TEST_F(SessionEndTest, TheSessionMayEndExceptWhileTheFirmwareIsWritten) {
  Open("outdated");
  const LRESULT before = QueryEndSession(0);
  LRESULT during = -1;
  LRESULT closingAppDuring = -1;
  EXPECT_EQ("PASS", UpdateWith([&] {
              during = QueryEndSession(0);
              closingAppDuring = QueryEndSession(ENDSESSION_CLOSEAPP);
            }));
  EXPECT_EQ(TRUE, before);
  EXPECT_EQ(FALSE, during);
  EXPECT_EQ(FALSE, closingAppDuring);
  EXPECT_EQ(TRUE, QueryEndSession(0));
}

TEST_F(SessionEndTest, TheWindowGivesItsReasonOnlyWhileTheFirmwareIsWritten) {
  const auto query = User32Function<ShutdownBlockReasonQueryFn>("ShutdownBlockReasonQuery");
  if (query == nullptr) GTEST_SKIP() << "no ShutdownBlockReasonQuery on this system";
  Open("outdated");
  const auto reason = [&] {
    wchar_t text[MAX_STR_BLOCKREASON] = {};
    DWORD size = MAX_STR_BLOCKREASON;
    return query(main(), text, &size) ? std::wstring(text) : std::wstring(L"(none)");
  };
  std::wstring during;
  std::atomic<bool> asked{false};
  EXPECT_EQ("PASS", UpdateWith([&] {
              shell.PostToWindowThread([&] {
                during = reason();
                asked = true;
              });
              for (int i = 0; i < 500 && !asked; ++i) Sleep(10);
            }));
  EXPECT_EQ(L"Updating the enclosure's firmware - do not switch off", during);
  EXPECT_EQ(L"(none)", reason());
}

TEST_F(SessionEndTest, AnEndingSessionWaitsForTheWorkWhileTheWindowAnswers) {
  Open("outdated");
  HWND window = main();
  std::thread ending;
  std::atomic<int> commandsWhenEnded{-1};
  LRESULT answered = 0;
  EXPECT_EQ("PASS", UpdateWith([&] {
              ending = std::thread([&] {
                SendMessageA(window, WM_ENDSESSION, TRUE, 0);
                commandsWhenEnded = commands.load();
              });
              Sleep(200);  // the window thread takes the message meanwhile
              char text[128] = {};
              answered =
                  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text,
                                      reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000, nullptr);
            }));
  if (ending.joinable()) ending.join();
  EXPECT_NE(0, answered) << "the window answers while the session waits";
  EXPECT_EQ(commands.load(), commandsWhenEnded.load()) << "no command after WM_ENDSESSION returned";
}

// Notes the form's registration when WM_DESTROY reaches the window.
LRESULT CALLBACK NoteRegistrationAtDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR seen) {
  auto* registration = reinterpret_cast<NotifyRef*>(seen);  // NOLINT(performance-no-int-to-ptr)
  if (message == WM_DESTROY) *registration = Form1->DevNotify;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &NoteRegistrationAtDestroy, id);
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(SessionEndTest, AClosingDuringTheWorkIsRefusedAtOnceLaterItUnregistersFirst) {
  Open("outdated");
  HWND window = main();
  std::atomic<int> beeps{0};
  view().SetRefusalSignal([&beeps] { ++beeps; });
  ASSERT_NE(0u, form().DevNotify);
  NotifyRef atDestroy = form().DevNotify;
  ASSERT_TRUE(SetWindowSubclass(window, &NoteRegistrationAtDestroy, 1,
                                reinterpret_cast<DWORD_PTR>(&atDestroy)));
  shell.RunDeviceWork([&] {
    SendMessageA(window, WM_CLOSE, 0, 0);              // another program, sent
    PostMessageA(window, WM_CLOSE, 0, 0);              // another program, posted
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close button, Alt+F4, the menu
    for (int i = 0; i < 1000 && beeps < 3; ++i) Sleep(10);
  });
  EXPECT_EQ(3, beeps.load()) << "each refused with the system's beep while the work ran";
  // Whatever was queued during the work comes before this task.
  std::atomic<bool> queuedHandled{false};
  std::thread([&] { shell.PostToWindowThread([&] { queuedHandled = true; }); }).join();
  ASSERT_TRUE(PumpUntil([&] { return queuedHandled.load(); }, 5000));
  EXPECT_TRUE(IsWindow(window)) << "no close was kept for later";

  Close();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(0u, atDestroy);
}

}  // namespace
