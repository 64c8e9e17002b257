#include "IDEAccess/Assertion.h"

#include <cstdio>
#include <cstdlib>

void FailAssertion(const char* message, const char* file, int line) {
  std::fprintf(stderr, "Assertion failed: %s (%s, line %d)\n", message, file, line);
  std::fflush(stderr);
  std::abort();
}
