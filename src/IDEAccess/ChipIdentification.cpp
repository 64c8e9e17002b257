#include "IDEAccess/ChipIdentification.h"

#include "IDEAccess/ChipIdentificationStages.h"

ChipCode IdentifyChip(const char* path) {
  Identification id = FindFamily(path);
  RefineFamily(path, &id);
  return static_cast<ChipCode>(id.family | (id.revision << 8));
}
