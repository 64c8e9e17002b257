#include "platform/win32/gui/TaskbarButton.h"

#include "platform/win32/gui/User32Function.h"

namespace {

// Windows 7 and later; looked up so that the program still starts without it.
using ChangeWindowMessageFilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);

}  // namespace

void TaskbarButton::Attach(HWND window) {
  window_ = window;
  createdMessage_ = RegisterWindowMessageA("TaskbarButtonCreated");
  static const auto allow =
      User32Function<ChangeWindowMessageFilterExFn>("ChangeWindowMessageFilterEx");
  if (createdMessage_ != 0 && allow != nullptr) {
    allow(window_, createdMessage_, MSGFLT_ALLOW, nullptr);
  }
}

void TaskbarButton::Created() {
  LetGo();
  if (!list_.Create(CLSID_TaskbarList, IID_ITaskbarList3)) return;
  if (FAILED(list_->HrInit())) {
    LetGo();
    return;
  }
  if (watcher_ != nullptr) watcher_->ListTaken();
  Show(state_, position_, maximum_);
}

void TaskbarButton::LetGo() {
  list_.Reset();
  stateShown_ = false;
}

void TaskbarButton::ShowProgress(uint32_t position, uint32_t maximum) {
  Show(TBPF_NORMAL, position, maximum);
}

void TaskbarButton::ShowError() {
  // A full red bar, wherever the work stopped.
  Show(TBPF_ERROR, 1, 1);
}

void TaskbarButton::ShowNothing() {
  Show(TBPF_NOPROGRESS, 0, 0);
}

void TaskbarButton::Show(TBPFLAG state, uint32_t position, uint32_t maximum) {
  if (stateShown_ && state == state_ && position == position_ && maximum == maximum_) return;
  const bool stateChanged = !stateShown_ || state != state_;
  state_ = state;
  position_ = position;
  maximum_ = maximum;
  if (!list_) return;
  if (stateChanged) {
    const HRESULT result = list_->SetProgressState(window_, state);
    stateShown_ = SUCCEEDED(result);
    if (watcher_ != nullptr) watcher_->Answered(&state, result);
  }
  if (state != TBPF_NOPROGRESS && maximum != 0) {
    const HRESULT result = list_->SetProgressValue(window_, position, maximum);
    if (watcher_ != nullptr) watcher_->Answered(nullptr, result);
  }
}
