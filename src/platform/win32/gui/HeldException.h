#pragma once
// Exceptions must not unwind through the system's frames between
// DispatchMessage and a window procedure. The procedure holds them here; the
// loops that dispatch rethrow them once DispatchMessage has returned.

#include <exception>
#include <string>

void HoldException(std::exception_ptr failure);
// Rethrows (and forgets) the exception a window procedure held, if any.
void RethrowHeldException();

// Runs `body`; an exception is held and `failed` returned instead.
template <class Body, class Result>
Result HoldingExceptions(Body&& body, Result failed) {
  try {
    return body();
  } catch (...) {
    HoldException(std::current_exception());
    return failed;
  }
}

// What the operator is shown for an exception: its message, or an empty text
// for a kind that carries none.
std::string ExceptionMessage(std::exception_ptr failure);
