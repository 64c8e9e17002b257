// The update flow: PASS and FAIL, what the window shows around them, and the
// device it acts on.

#include <gtest/gtest.h>

#include "seams/AsciiCase.h"
#include "seams/SystemGuards.h"
#include "support/WindowFixture.h"

namespace {

using namespace window_paths;

class WindowUpdateTest : public WindowTest {
 protected:
  void Press() { form().btn_UpdateClick(&form().btn_Update); }
  bool IsResult(const char* text, Rgb colour) {
    const TPanel& line = form().pnl_Descript_3;
    return line.text() == text && line.font().sizePoints == 34 && line.font().bold &&
           !line.font().windowTextColour && line.font().colour == colour;
  }
};

TEST_F(WindowUpdateTest, SuccessfulUpdateShowsPassAndKeepsTheVersionLine) {
  VirtualEnclosure& chip = AddEnclosure();
  Open();
  const std::string versionLine = form().pnl_Descript_5.text();
  machine.ClearTrace();
  Press();
  EXPECT_TRUE(IsResult("PASS", Rgb{0, 128, 0}));
  EXPECT_EQ("", form().pnl_Descript_1.text());
  EXPECT_EQ("", form().pnl_Descript_2.text());
  EXPECT_EQ("", form().pnl_Descript_4.text());
  EXPECT_EQ(versionLine, form().pnl_Descript_5.text());
  EXPECT_FALSE(form().btn_Update.enabled());
  EXPECT_FALSE(form().prg_Update.visible()) << "the bar goes with the result";
  ASSERT_EQ(1u, shell.debugLines.size());
  EXPECT_EQ("Update Btn Press\n", shell.debugLines[0]);
  EXPECT_EQ(49u, machine.CountOf(CommandKind::kWriteBufferData));
  EXPECT_EQ(1u, machine.CountOf(CommandKind::kWriteBridgeMemory));
  // The block now carries the target texts.
  ConfigBlock block;
  std::copy(chip.memory() + 0xD000, chip.memory() + 0xD200, block.bytes.begin());
  EXPECT_TRUE(ConfigBlockIsUpToDate(block));
}

TEST_F(WindowUpdateTest, TextsBeforeTheDeviceWorkArePaintedByOnePump) {
  AddEnclosure();
  Open();
  const int pumpsBefore = shell.pumps;
  std::string lineOne, lineThree;
  size_t commandsAtPump = 99;
  shell.onPump = [&] {
    lineOne = form().pnl_Descript_1.text();
    lineThree = form().pnl_Descript_3.text();
    commandsAtPump = machine.trace().size();
  };
  machine.ClearTrace();
  Press();
  EXPECT_EQ(pumpsBefore + 1, shell.pumps);
  EXPECT_EQ("DO NOT disconnect the device during the FW update.", lineOne);
  EXPECT_EQ("Updating.....", lineThree);
  EXPECT_EQ(0u, commandsAtPump) << "the pump comes before any device work";
}

TEST_F(WindowUpdateTest, VerifyFailureShowsFail) {
  VirtualEnclosure& chip = AddEnclosure();
  Open();
  chip.faults().flipReadBack = true;
  chip.faults().flipOffset = 0x1234;
  Press();
  EXPECT_TRUE(IsResult("FAIL", Rgb{255, 0, 0}));
  EXPECT_EQ(0u, machine.CountOf(CommandKind::kWriteBridgeMemory))
      << "no block write after a failed download";
}

TEST_F(WindowUpdateTest, EnclosureAnotherUpdateWritesIsLeftAlone) {
  AddEnclosure();
  Open();
  machine.ClearTrace();
  {
    const auto held = LockWithinProcess(AsciiLower(kUsb).c_str());
    Press();
  }
  EXPECT_TRUE(IsResult("FAIL", Rgb{255, 0, 0}));
  EXPECT_EQ("Another program is updating this enclosure", form().pnl_Descript_2.text());
  EXPECT_EQ(0u, machine.CountOf(CommandKind::kWriteBufferData));
  // Let go of, the enclosure is the window's again.
  Open();
  Press();
  EXPECT_TRUE(IsResult("PASS", Rgb{0, 128, 0}));
}

TEST_F(WindowUpdateTest, IgnoredBlockWriteShowsFail) {
  VirtualEnclosure& chip = AddEnclosure();
  Open();
  chip.faults().ignoreMemoryWrites = true;
  Press();
  EXPECT_TRUE(IsResult("FAIL", Rgb{255, 0, 0}));
}

TEST_F(WindowUpdateTest, WithSeveralDevicesListedNothingIsSent) {
  AddEnclosure(kUsb);
  AddEnclosure(kUsbSecond);
  Open();
  machine.ClearTrace();
  Press();  // the button is disabled; a click that still arrives changes nothing
  EXPECT_TRUE(IsResult("FAIL", Rgb{255, 0, 0}));
  EXPECT_TRUE(machine.trace().empty());
  EXPECT_EQ("Update Btn Press\n", shell.debugLines.at(0));
}

TEST_F(WindowUpdateTest, DeviceThatFailedTheInformationRunIsNotUpdated) {
  VirtualEnclosure& chip = AddEnclosure();
  chip.faults().FailEvery(CommandKind::kReadBridgeMemory);
  Open();
  ASSERT_EQ(19, form().ChipCode & 0xFF);
  machine.ClearTrace();
  Press();
  EXPECT_TRUE(IsResult("FAIL", Rgb{255, 0, 0}));
  EXPECT_TRUE(machine.trace().empty());
}

TEST_F(WindowUpdateTest, RefreshInsideTheUpdatesPumpRunsBeforeTheDeviceWork) {
  AddEnclosure();
  Open();
  // A device change came in just before the press; its timer expires while
  // the flow pumps messages.
  form().WMDeviceChange(kDbtDevNodesChanged);
  shell.now += 500;
  machine.ClearTrace();
  Press();
  ASSERT_FALSE(machine.trace().empty());
  // The nested refresh's discovery comes first, then the update's commands.
  EXPECT_EQ(CommandKind::kInquiry, machine.trace().front().kind);
  EXPECT_EQ(49u, machine.CountOf(CommandKind::kWriteBufferData));
  EXPECT_TRUE(IsResult("PASS", Rgb{0, 128, 0}));
  EXPECT_FALSE(shell.TimerRunning(kRefreshTimerId));
}

TEST_F(WindowUpdateTest, ProgressGoesForwardThroughWritingAndVerifying) {
  AddEnclosure();
  Open();
  struct Recorder final : ControlObserver {
    void ControlChanged(const Control& control) override {
      const auto& bar = static_cast<const TProgressBar&>(control);
      if (bar.visible()) positions.push_back(bar.position());
    }
    std::vector<uint32_t> positions;
  } recorder;
  form().prg_Update.SetObserver(&recorder);
  Press();
  ASSERT_FALSE(recorder.positions.empty());
  EXPECT_EQ(98u, recorder.positions.back());
  EXPECT_EQ(98u, form().prg_Update.maximum());
}

// What the system's log hears of each attempt: passed, failed after writing,
// or refused with nothing written.
struct AttemptCase {
  const char* name;
  void (*beforeOpen)(VirtualEnclosure& chip);
  void (*afterOpen)(VirtualEnclosure& chip);
  bool heldByAnotherProgram;
  AttemptResult expected;
};

void PrintTo(const AttemptCase& c, std::ostream* out) {
  *out << c.name;
}

struct AttemptRecorder final : UpdateWatcher {
  void UpdateProgressed(uint32_t /*position*/, uint32_t /*maximum*/) override {}
  void UpdateResultShown(bool /*passed*/) override {}
  void UpdateAttempted(const UpdateAttempt& attempt) override { results.push_back(attempt.result); }
  void LinesRefreshed() override {}
  std::vector<AttemptResult> results;
};

void Untouched(VirtualEnclosure& /*chip*/) {}

class WindowAttemptTest : public WindowUpdateTest,
                          public ::testing::WithParamInterface<AttemptCase> {};

TEST_P(WindowAttemptTest, TellsTheAttemptsResult) {
  const AttemptCase& c = GetParam();
  VirtualEnclosure& chip = AddEnclosure();
  c.beforeOpen(chip);
  Open();
  c.afterOpen(chip);
  AttemptRecorder recorder;
  form().SetUpdateWatcher(&recorder);
  {
    const auto held =
        c.heldByAnotherProgram ? LockWithinProcess(AsciiLower(kUsb).c_str()) : nullptr;
    Press();
  }
  form().SetUpdateWatcher(nullptr);
  ASSERT_EQ(1u, recorder.results.size());
  EXPECT_EQ(c.expected, recorder.results[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Results, WindowAttemptTest,
    ::testing::Values(
        AttemptCase{"Written", Untouched, Untouched, false, AttemptResult::kPassed},
        AttemptCase{"ReadBackUnlike", Untouched,
                    [](VirtualEnclosure& chip) { chip.faults().flipReadBack = true; }, false,
                    AttemptResult::kFailed},
        AttemptCase{"BlockWriteIgnored", Untouched,
                    [](VirtualEnclosure& chip) { chip.faults().ignoreMemoryWrites = true; }, false,
                    AttemptResult::kFailed},
        AttemptCase{"AnotherProgramWrites", Untouched, Untouched, true, AttemptResult::kRefused},
        AttemptCase{
            "NotIdentified",
            [](VirtualEnclosure& chip) { chip.faults().FailEvery(CommandKind::kReadBridgeMemory); },
            Untouched, false, AttemptResult::kRefused}),
    [](const ::testing::TestParamInfo<AttemptCase>& info) { return info.param.name; });

}  // namespace
