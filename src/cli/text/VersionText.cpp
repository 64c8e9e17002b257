#include "cli/text/VersionText.h"

#include "IDEAccess/FirmwareImage.h"
#include "embedded/FirmwareImageDigest.h"
#include "platform/Sha256.h"
#include "seams/ProgramVersion.h"

namespace {

template <typename Number, size_t kCount>
std::string Dotted(const Number (&parts)[kCount]) {
  std::string text;
  for (size_t i = 0; i < kCount; ++i) text += (i ? "." : "") + std::to_string(parts[i]);
  return text;
}

}  // namespace

std::string VersionText(Resources* resources) {
  std::string text = "tq214 " + Dotted(kProgramVersion) + "\n";
  text += "firmware image " + Dotted(kFirmwareImageVersion) + " (" + kFirmwareImageKind + "), ";
  const ResourceLookup image =
      resources ? resources->Find(kFirmwareResourceName, kFirmwareResourceType) : ResourceLookup{};
  Sha256Digest digest{};
  if (!image.found || image.bytes == nullptr || image.size != kFirmwareImageSize) {
    return text + "missing from the program\n";
  }
  if (!ComputeSha256(image.bytes, image.size, &digest)) {
    return text + "SHA-256 not available on this system\n";
  }
  return text + "SHA-256 " + Sha256Hex(digest) + "\n";
}
