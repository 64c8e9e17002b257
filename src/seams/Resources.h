#pragma once
// The seam to the program's own resources (Windows: find, size, load and lock
// a resource of the executable itself). Native builds answer from data
// compiled into the program.

#include <cstdint>

struct ResourceLookup {
  bool found = false;
  uint32_t lastError = 0;          // the error code read right after the lookup
  uint32_t size = 0;               // the resource's size in bytes, when found
  const uint8_t* bytes = nullptr;  // its bytes; null when it could not be mapped
};

class Resources {
 public:
  virtual ~Resources() = default;
  virtual ResourceLookup Find(const char* name, const char* type) = 0;
};
