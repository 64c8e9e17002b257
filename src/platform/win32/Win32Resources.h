#pragma once
// The executable's own resources, looked up by name and type without asking
// for a language. A found resource stays loaded for the life of the process.

#include "seams/Resources.h"

class Win32Resources final : public Resources {
 public:
  ResourceLookup Find(const char* name, const char* type) override;
};
