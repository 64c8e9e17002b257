#include "platform/win32/gui/HeldException.h"

namespace {
// Window procedures run on the window thread only; a worker never holds.
thread_local std::exception_ptr gHeld;
}  // namespace

void HoldException(std::exception_ptr failure) {
  // The first one wins: what followed it is usually its consequence.
  if (!gHeld) gHeld = failure;
}

void RethrowHeldException() {
  if (!gHeld) return;
  std::exception_ptr failure = gHeld;
  gHeld = nullptr;
  std::rethrow_exception(failure);
}

std::string ExceptionMessage(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& known) {
    return known.what();
  } catch (...) {
    return std::string();
  }
}
