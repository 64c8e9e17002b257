#pragma once
// Checks for programming errors that stay on in every build: the message names
// the broken condition, then the process ends.

[[noreturn]] void FailAssertion(const char* message, const char* file, int line);

#define TQ214_ASSERT(condition, message) \
  ((condition) ? static_cast<void>(0) : FailAssertion(message, __FILE__, __LINE__))
