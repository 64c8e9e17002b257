#include "platform/win32/Win32Resources.h"

#include <windows.h>

ResourceLookup Win32Resources::Find(const char* name, const char* type) {
  ResourceLookup lookup;
  HRSRC info = ::FindResourceA(nullptr, name, type);
  lookup.lastError = ::GetLastError();  // read at once, found or not
  if (info == nullptr) return lookup;
  lookup.found = true;
  lookup.size = ::SizeofResource(nullptr, info);
  HGLOBAL loaded = ::LoadResource(nullptr, info);
  if (loaded != nullptr) lookup.bytes = static_cast<const uint8_t*>(::LockResource(loaded));
  return lookup;
}
