// The thirteen cases of the host's data phase against the device's.

#include <gtest/gtest.h>

#include "usb-gadget/DataPhase.h"

namespace {

constexpr DataDirection kNone = DataDirection::kNone;
constexpr DataDirection kIn = DataDirection::kIn;
constexpr DataDirection kOut = DataDirection::kOut;

PhaseVerdict Decide(DataDirection host, uint32_t length, DevicePlan device) {
  return DecidePhase(host, length, device);
}

TEST(DataPhaseTest, HostDirectionIsNoneWithoutBytes) {
  EXPECT_EQ(kNone, HostDirection(true, 0));
  EXPECT_EQ(kIn, HostDirection(true, 1));
  EXPECT_EQ(kOut, HostDirection(false, 1));
}

TEST(DataPhaseTest, CasesThatRun) {
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kNone, 0, NoData()));          // 1  Hn = Dn
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kIn, 64, NoData()));           // 4  Hi > Dn
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kIn, 64, DataIn(8)));          // 5  Hi > Di
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kIn, 64, DataIn(kUpToHost)));  // 5/6 by reply size
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kIn, 512, DataIn(512)));       // 6  Hi = Di
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kOut, 64, NoData()));          // 9  Ho > Dn
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kOut, 1024, DataOut(512)));    // 11 Ho > Do
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kOut, 1024, DataOut(1024)));   // 12 Ho = Do
}

TEST(DataPhaseTest, CasesThatAreAPhaseError) {
  EXPECT_EQ(PhaseVerdict::kPhaseError, Decide(kNone, 0, DataIn(kUpToHost)));  // 2  Hn < Di
  EXPECT_EQ(PhaseVerdict::kPhaseError, Decide(kNone, 0, DataOut(512)));       // 3  Hn < Do
  EXPECT_EQ(PhaseVerdict::kPhaseError, Decide(kIn, 512, DataIn(1024)));       // 7  Hi < Di
  EXPECT_EQ(PhaseVerdict::kPhaseError, Decide(kIn, 512, DataOut(512)));       // 8  Hi <> Do
  EXPECT_EQ(PhaseVerdict::kPhaseError, Decide(kOut, 36, DataIn(kUpToHost)));  // 10 Ho <> Di
  EXPECT_EQ(PhaseVerdict::kPhaseError, Decide(kOut, 512, DataOut(1024)));     // 13 Ho < Do
}

TEST(DataPhaseTest, ZeroLengthPlansMoveNothing) {
  EXPECT_EQ(kNone, DataIn(0).direction);
  EXPECT_EQ(kNone, DataOut(0).direction);
  EXPECT_EQ(PhaseVerdict::kRun, Decide(kNone, 0, DataOut(0)));
}

}  // namespace
