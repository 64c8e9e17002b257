// The window by keyboard: the focus starts on the first control that takes
// it, Tab and Shift+Tab move it in the layout's order past what is hidden or
// disabled, Enter presses the focused button, and the focus stays on a
// control whenever one can take it, on the window otherwise.

#include <windows.h>

#include <string>

#include "platform/win32/gui/DialogKeys.h"
#include "platform/win32/gui/RealWindowFixture.h"

namespace {

// The loops that take keys: the program's own, and the shell's pump that
// flows run while they wait.
enum class Loop { kMain, kFlowPump };

class KeyboardTest : public RealWindowTest, public ::testing::WithParamInterface<Loop> {
 protected:
  // A key pressed and released where the focus is, taken by the loop under
  // test.
  void Press(WPARAM key, bool shift = false) {
    SetShift(shift);
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    if (GetParam() == Loop::kMain) {
      // It comes once the keys have been taken.
      PostQuitMessage(0);
      RunMessageLoop();
    } else {
      shell.ProcessMessages();
    }
    SetShift(false);
  }
  // The control that has the focus; the window itself when it keeps it.
  HWND Focused() {
    HWND control = ControlHolding(main(), GetFocus());
    return control != nullptr ? control : GetFocus();
  }
  bool FocusShown() { return (SendMessageA(main(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0; }

 private:
  static void SetShift(bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
  }
};

TEST_P(KeyboardTest, TabAndShiftTabFollowTheLayoutPastWhatCannotTakeTheFocus) {
  Open("outdated");
  // All three at once only here: the model shows the list and Refresh never.
  form().cbb_DeviceList.SetVisible(true);
  form().btn_Refresh.SetVisible(true);
  view().Show(SW_SHOW);
  HWND list = Child(form().cbb_DeviceList);
  HWND refresh = Child(form().btn_Refresh);
  HWND update = Child(form().btn_Update);
  EXPECT_EQ(list, Focused()) << "the first control that takes the focus";

  SendMessageA(main(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  Press(VK_TAB);
  EXPECT_EQ(refresh, Focused());
  EXPECT_TRUE(FocusShown()) << "a key moved the focus: it is shown from now on";
  Press(VK_TAB);
  EXPECT_EQ(update, Focused());
  Press(VK_TAB);
  EXPECT_EQ(list, Focused()) << "round again";
  Press(VK_TAB, true);
  EXPECT_EQ(update, Focused());
  Press(VK_TAB, true);
  EXPECT_EQ(refresh, Focused());

  form().btn_Refresh.SetEnabled(false);
  EXPECT_EQ(update, Focused()) << "disabled, Refresh passes the focus on";
  Press(VK_TAB);
  EXPECT_EQ(list, Focused());
  Press(VK_TAB);
  EXPECT_EQ(update, Focused()) << "past the disabled Refresh";
  form().cbb_DeviceList.SetVisible(false);
  Press(VK_TAB, true);
  EXPECT_EQ(update, Focused()) << "past the hidden list: Update is the only one left";
}

TEST_P(KeyboardTest, EnterPressesTheFocusedButtonAndTheFocusOutlivesIt) {
  Open("outdated");
  view().Show(SW_SHOW);
  HWND update = Child(form().btn_Update);
  ASSERT_EQ(update, Focused()) << "the list and Refresh are hidden";

  Press(VK_RETURN);
  EXPECT_EQ("PASS", form().pnl_Descript_3.text());
  EXPECT_EQ(main(), Focused()) << "Update is disabled: nothing else takes the focus";

  // A refresh that offers Update again gives it the focus back.
  form().btn_Update.SetEnabled(true);
  EXPECT_EQ(update, Focused());
  form().btn_Update.SetVisible(false);
  EXPECT_EQ(main(), Focused());
}

INSTANTIATE_TEST_SUITE_P(BothLoops, KeyboardTest, ::testing::Values(Loop::kMain, Loop::kFlowPump),
                         [](const ::testing::TestParamInfo<Loop>& info) {
                           return info.param == Loop::kMain ? "MainLoop" : "FlowPump";
                         });

}  // namespace
