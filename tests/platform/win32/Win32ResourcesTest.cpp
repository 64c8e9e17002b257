// The image loaders on this test program's real resources (res/FirmwareImage.rc
// is linked in, as in the window program): the system finds "TBR640_ORVEXA",
// its bytes are the file the build carries, and the copy rule holds on them.
// Run under Wine by CTest.

#include <windows.h>

#include <cstring>
#include <vector>

#include "IDEAccess/FirmwareImage.h"
#include "embedded/EmbeddedFirmwareImage.h"
#include "embedded/FirmwareImageDigest.h"
#include "gtest/gtest.h"
#include "platform/win32/Win32Resources.h"
#include "seams/Seams.h"
#include "support/Adler32.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kUntouched = 0xEE;

// Asks the system for a name the program does not carry, whatever is asked.
class RenamedResources final : public Resources {
 public:
  ResourceLookup Find(const char*, const char* type) override {
    return Win32Resources().Find("TBR640_NOT_CARRIED", type);
  }
};

class Win32ResourcesTest : public ::testing::Test {
 protected:
  Win32ResourcesTest() : installed_(With(&resources)) {}
  static Seams With(Resources* chosen) {
    Seams seams;
    seams.resources = chosen;
    return seams;
  }
  int32_t Load(uint32_t offset, uint32_t length) {
    dest.assign(0xC700, kUntouched);
    return LoadFirmwareImage(dest.data(), 0xC700, offset, length);
  }
  // dest holds `count` image bytes from `from` on and nothing after them.
  bool Holds(uint32_t from, uint32_t count) const {
    return std::memcmp(dest.data(), kEmbeddedFirmwareImage + from, count) == 0 &&
           Bytes(dest.begin() + count, dest.end()) == Bytes(dest.size() - count, kUntouched);
  }

  Win32Resources resources;
  Bytes dest;

 private:
  ScopedSeams installed_;
};

TEST_F(Win32ResourcesTest, SystemFindsTheImageAndItIsTheFileTheBuildCarries) {
  ASSERT_EQ(0xC600, Load(0, 0));
  EXPECT_EQ(kFirmwareImageAdler32, Adler32(dest.data(), 0xC600));
  EXPECT_TRUE(Holds(0, 0xC600)) << "the resource and the compiled-in image differ";
  EXPECT_EQ(0xC600, Load(0, 0x100));
  EXPECT_TRUE(Holds(0, 0x100));
  EXPECT_EQ(0xC600, Load(0x100, 0xC600));
  EXPECT_TRUE(Holds(0x100, 0xC500));
  EXPECT_EQ(0xC600, Load(0x100, 0));
  EXPECT_TRUE(Holds(0x100, 0xC500));
}

TEST_F(Win32ResourcesTest, MissingResourcesGiveTheSystemsErrorCodesAndCopyNothing) {
  EXPECT_EQ(static_cast<uint32_t>(ERROR_RESOURCE_TYPE_NOT_FOUND),
            resources.Find("TBR640_ORVEXA", "NOTFW").lastError);
  EXPECT_EQ(0u, LoadMfgRomImage(dest.data(), 0, 0, 0, true)) << "no ROM is carried";
  EXPECT_EQ(0u, LoadMfgRomImage(dest.data(), 0, 0, 0, false));

  RenamedResources renamed;
  ScopedSeams missing(With(&renamed));
  EXPECT_EQ(ERROR_RESOURCE_NAME_NOT_FOUND, Load(0, 0));
  EXPECT_TRUE(Holds(0, 0));
}

}  // namespace
