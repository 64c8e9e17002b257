#include "embedded/EmbeddedResources.h"

#include <cstring>

#include "embedded/EmbeddedFirmwareImage.h"

ResourceLookup EmbeddedResources::Find(const char* name, const char* type) {
  ResourceLookup lookup;
  if (std::strcmp(type, kFirmwareResourceType) != 0) {
    lookup.lastError = kErrorResourceTypeNotFound;
    return lookup;
  }
  if (std::strcmp(name, kFirmwareResourceName) != 0) {
    lookup.lastError = kErrorResourceNameNotFound;
    return lookup;
  }
  lookup.found = true;
  lookup.size = kFirmwareImageSize;
  lookup.bytes = kEmbeddedFirmwareImage;
  return lookup;
}
