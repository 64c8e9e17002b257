#pragma once
// The program's resources where the system keeps none for it: the firmware
// image compiled in. It answers "TBR640_ORVEXA" of type "FW" and nothing else,
// with the error codes the system gives for a missing type or name.

#include "seams/Resources.h"

constexpr uint32_t kErrorResourceTypeNotFound = 1813;
constexpr uint32_t kErrorResourceNameNotFound = 1814;

class EmbeddedResources final : public Resources {
 public:
  ResourceLookup Find(const char* name, const char* type) override;
};
