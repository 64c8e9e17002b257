// Closing the system's "Microsoft Windows" dialogs with real dialogs on the
// desktop: message boxes of class "#32770", each on a thread of its own.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "Tessaloft_main/SystemPrompt.h"
#include "platform/win32/gui/Win32WindowShell.h"
#include "seams/Seams.h"

namespace {

constexpr char kPromptTitle[] = "Microsoft Windows";
constexpr char kOtherTitle[] = "Microsoft Windows Update";

// A message box on its own thread, as another program would show it.
class Box {
 public:
  explicit Box(const char* title)
      : thread_([this, title] {
          MessageBoxA(nullptr, "A dialog", title, MB_OK);
          closed_ = true;
        }) {}
  ~Box() { thread_.join(); }
  bool closed() const { return closed_; }

 private:
  std::atomic<bool> closed_{false};
  std::thread thread_;
};

// Waits with a generous bound.
template <class Done>
bool Eventually(Done done) {
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    Sleep(10);
  }
  return done();
}

int CountWindows(const char* className, const char* title) {
  int count = 0;
  for (HWND w = FindWindowExA(nullptr, nullptr, className, title); w != nullptr;
       w = FindWindowExA(nullptr, w, className, title)) {
    ++count;
  }
  return count;
}

class SystemPromptTest : public ::testing::Test {
 protected:
  SystemPromptTest() : seams_(WithShell(&shell)) {}
  static Seams WithShell(Shell* chosen) {
    Seams seams;
    seams.shell = chosen;
    return seams;
  }
  Win32WindowShell shell;

 private:
  ScopedSeams seams_;
};

TEST_F(SystemPromptTest, ClosesTheDialogTitledMicrosoftWindowsAndLeavesOthersAlone) {
  // A window of another class with the same title.
  HWND lookalike = CreateWindowExA(0, "STATIC", kPromptTitle, WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, lookalike);
  {
    Box other(kOtherTitle);
    Box prompt(kPromptTitle);
    ASSERT_TRUE(Eventually([] { return FindWindowA("#32770", kPromptTitle) != nullptr; }));
    ASSERT_TRUE(Eventually([] { return FindWindowA("#32770", kOtherTitle) != nullptr; }));

    EXPECT_EQ(1, CloseSystemPrompt());
    EXPECT_TRUE(Eventually([&] { return prompt.closed(); })) << "the prompt closed";
    EXPECT_FALSE(other.closed());
    EXPECT_NE(nullptr, FindWindowA("#32770", kOtherTitle)) << "another title is left alone";
    EXPECT_TRUE(IsWindow(lookalike)) << "another class is left alone";
    EXPECT_EQ(0, CloseSystemPrompt()) << "none left";

    PostMessageA(FindWindowA("#32770", kOtherTitle), WM_CLOSE, 0, 0);
  }
  DestroyWindow(lookalike);
}

TEST_F(SystemPromptTest, TwoPromptsCloseOnePerPass) {
  Box first(kPromptTitle);
  Box second(kPromptTitle);
  ASSERT_TRUE(Eventually([] { return CountWindows("#32770", kPromptTitle) == 2; }));

  EXPECT_EQ(1, CloseSystemPrompt());
  ASSERT_TRUE(Eventually([&] { return first.closed() || second.closed(); }));
  EXPECT_EQ(1, CountWindows("#32770", kPromptTitle));

  EXPECT_EQ(1, CloseSystemPrompt());
  EXPECT_TRUE(Eventually([&] { return first.closed() && second.closed(); }));
  EXPECT_EQ(0, CloseSystemPrompt());
}

}  // namespace
