#include "platform/win32/gui/ShutdownBlock.h"

#include "platform/win32/gui/User32Function.h"

namespace {

using ShutdownBlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using ShutdownBlockReasonDestroyFn = BOOL(WINAPI*)(HWND);

}  // namespace

ShutdownBlock::ShutdownBlock(HWND window, const wchar_t* reason) : window_(window) {
  static const auto create =
      User32Function<ShutdownBlockReasonCreateFn>("ShutdownBlockReasonCreate");
  set_ = create != nullptr && create(window_, reason) != FALSE;
}

ShutdownBlock::~ShutdownBlock() {
  static const auto destroy =
      User32Function<ShutdownBlockReasonDestroyFn>("ShutdownBlockReasonDestroy");
  if (set_ && destroy != nullptr) destroy(window_);
}
