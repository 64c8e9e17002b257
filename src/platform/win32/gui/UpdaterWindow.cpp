#include "platform/win32/gui/UpdaterWindow.h"

#include <commctrl.h>

#include "platform/win32/gui/CommonControls.h"
#include "platform/win32/gui/DialogKeys.h"
#include "platform/win32/gui/HeldException.h"
#include "platform/win32/gui/Win32WindowShell.h"

UpdaterWindow::~UpdaterWindow() {
  view_.Detach();
  form_.reset();
}

bool UpdaterWindow::Open(HINSTANCE instance) {
  InitCommonControlsFromSystem(ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS);

  HWND window = view_.Create(instance);
  if (window == nullptr) return false;
  shell_.AttachWindow(window);
  form_ = std::make_unique<TForm1>();
  view_.Mirror(*form_);
  form_->FormCreate(nullptr);
  view_.SetCaption(form_->Caption);
  return true;
}

int UpdaterWindow::RunMessageLoop() {
  MSG msg;
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    if (!HandleDialogKey(view_.window(), msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    RethrowHeldException();
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 0;
}

int RunShowingExceptions(const char* programName, const std::function<int()>& body) {
  try {
    return body();
  } catch (...) {
    const std::string message = ExceptionMessage(std::current_exception());
    MessageBoxA(nullptr, message.c_str(), programName, MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
  return 0;
}
