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
  Release();
  void* list = nullptr;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                              &list))) {
    return;
  }
  list_ = static_cast<ITaskbarList3*>(list);
  if (FAILED(list_->HrInit())) {
    Release();
    return;
  }
  trace_.listTaken = true;
  Show(state_, position_, maximum_);
}

void TaskbarButton::Release() {
  if (list_ != nullptr) list_->Release();
  list_ = nullptr;
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
  if (list_ == nullptr) return;
  if (stateChanged) {
    const HRESULT result = list_->SetProgressState(window_, state);
    Count(result);
    stateShown_ = SUCCEEDED(result);
    if (stateShown_) trace_.state = state;
  }
  if (state != TBPF_NOPROGRESS && maximum != 0) {
    Count(list_->SetProgressValue(window_, position, maximum));
    ++trace_.progressValues;
  }
}

void TaskbarButton::Count(HRESULT result) {
  if (SUCCEEDED(result)) {
    ++trace_.succeeded;
  } else {
    ++trace_.failed;
  }
}
