#include "IDEAccess/FirmwareImage.h"

#include <algorithm>
#include <cstring>

#include "seams/Seams.h"

namespace {

// How many bytes of a `size`-byte resource land in a `capacity`-byte buffer.
// The system's rule: length 0, or a range past the end, takes everything from
// `offset` on (the sum is formed in 64 bits so that it cannot wrap). On top of
// it two guards: an offset past the end copies nothing instead of reading
// before or beyond the resource, and the count never exceeds `capacity`, so a
// resource larger than the caller expects fills the buffer and stops there;
// the caller still sees the true size and rejects it.
uint32_t CopyCount(uint32_t size, uint32_t offset, uint32_t length, uint32_t capacity) {
  if (offset > size) return 0;
  uint32_t wanted = length;
  if (wanted == 0 || uint64_t{offset} + wanted > size) wanted = size - offset;
  return std::min(wanted, capacity);
}

void CopyResource(const ResourceLookup& lookup, uint8_t* dest, uint32_t destCapacity,
                  uint32_t offset, uint32_t length) {
  const uint32_t count = CopyCount(lookup.size, offset, length, destCapacity);
  if (count != 0) std::memcpy(dest, lookup.bytes + offset, count);
}

}  // namespace

int32_t LoadFirmwareImage(uint8_t* dest, uint32_t destCapacity, uint32_t offset, uint32_t length) {
  const ResourceLookup lookup =
      ActiveResources().Find(kFirmwareResourceName, kFirmwareResourceType);
  if (!lookup.found) return static_cast<int32_t>(lookup.lastError);
  // Found but not mapped: the system's loader would copy nothing and still
  // report the size, which the update takes for a good image. Refuse instead.
  if (lookup.bytes == nullptr) return kErrorResourceDataNotFound;
  CopyResource(lookup, dest, destCapacity, offset, length);
  return static_cast<int32_t>(lookup.size);
}

uint32_t LoadMfgRomImage(uint8_t* dest, uint32_t destCapacity, uint32_t offset, uint32_t length,
                         bool romSelect) {
  const char* name = romSelect ? kMfgRomSetName : kMfgRomClearName;
  const ResourceLookup lookup = ActiveResources().Find(name, kFirmwareResourceType);
  if (!lookup.found || lookup.bytes == nullptr) return 0;
  CopyResource(lookup, dest, destCapacity, offset, length);
  return lookup.size;
}
