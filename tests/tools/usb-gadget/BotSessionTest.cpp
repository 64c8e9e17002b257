// The device side of the Bulk-Only Transport over scripted pipes, with the
// real responder and virtual enclosure behind it: data phases, residues,
// statuses, stalls and phase errors as the host sees them.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sim/VirtualEnclosure.h"
#include "tools/usb-gadget/BotTestKit.h"
#include "usb-gadget/BotSession.h"
#include "usb-gadget/RamDisk.h"
#include "usb-gadget/ScsiResponder.h"

namespace {

constexpr uint32_t kDiskBlocks = 8192;  // 4 MiB

class RecordingObserver final : public CommandObserver {
 public:
  void OnCommand(const CommandRecord& record) override {
    tags.push_back(record.cbw->tag);
    statuses.push_back(record.status);
  }
  std::vector<uint32_t> tags;
  std::vector<bot::CswStatus> statuses;
};

Bytes Pattern(size_t size, uint8_t seed) {
  Bytes bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

class BotSessionTest : public ::testing::Test {
 protected:
  BotSessionTest()
      : enclosure(VirtualEnclosure::Tbr640()),
        disk(kDiskBlocks),
        responder(enclosure, disk),
        session(channel, responder, &observer) {}

  // One command: the CBW, then the host's data transfer if it sends one.
  SessionStep Command(const Bytes& cbw, const Bytes& hostData = {}) {
    channel.sent.clear();
    channel.events.clear();
    channel.HostSends(cbw);
    if (!hostData.empty()) channel.HostSends(hostData);
    return session.ServeOne();
  }
  // REQUEST SENSE(6) for 18 bytes: key, ASC, ASCQ.
  std::vector<uint8_t> Sense() {
    EXPECT_EQ(SessionStep::kCommandDone, Command(MakeCbw(900, 18, true, {0x03, 0, 0, 0, 18, 0})));
    const Bytes data = channel.DataIn();
    if (data.size() < 14) return {};
    return {data[2], data[12], data[13]};
  }

  VirtualEnclosure enclosure;
  RamDisk disk;
  ScsiResponder responder;
  ScriptedChannel channel;
  RecordingObserver observer;
  BotSession session;
};

TEST_F(BotSessionTest, InquiryReturnsTheEnclosureIdentity) {
  ASSERT_EQ(SessionStep::kCommandDone, Command(MakeCbw(7, 36, true, {0x12, 0, 0, 0, 36, 0})));
  const Bytes data = channel.DataIn();
  ASSERT_EQ(36u, data.size());
  EXPECT_EQ(0, std::memcmp(&data[8], "Orvexa  TQ-214 Enclosure", 24));
  const ParsedCsw csw = LastCsw(channel);
  EXPECT_EQ(bot::kCswSignature, csw.signature);
  EXPECT_EQ(7u, csw.tag);
  EXPECT_EQ(0u, csw.residue);
  EXPECT_EQ(0, csw.status);
  EXPECT_FALSE(channel.Halted("halt-in"));
}

TEST_F(BotSessionTest, ShortReplyEndsWithAShortPacketAndReportsTheResidue) {
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(8, 512, true, {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
  const Bytes data = channel.DataIn();
  ASSERT_EQ(8u, data.size());
  EXPECT_EQ(Bytes({0x00, 0x00, 0x1F, 0xFF, 0x00, 0x00, 0x02, 0x00}), data);  // last LBA 8191, 512
  EXPECT_FALSE(channel.Halted("halt-in"));
  EXPECT_EQ(504u, LastCsw(channel).residue);
  EXPECT_EQ(0, LastCsw(channel).status);
}

TEST_F(BotSessionTest, ShortReplyOfWholePacketsEndsWithAStall) {
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(9, 1024, true, {0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0})));
  EXPECT_EQ(512u, channel.DataIn().size());
  EXPECT_EQ((std::vector<std::string>{"in:512", "halt-in", "in:13"}), channel.events);
  EXPECT_EQ(512u, LastCsw(channel).residue);
  EXPECT_EQ(0, LastCsw(channel).status);
}

TEST_F(BotSessionTest, UnknownCommandFailsWithIllegalRequestSense) {
  ASSERT_EQ(SessionStep::kCommandDone, Command(MakeCbw(10, 16, true, {0xC7, 0, 0, 0, 0, 0})));
  EXPECT_TRUE(channel.DataIn().empty());
  EXPECT_TRUE(channel.Halted("halt-in"));  // nothing came, so the host must not wait
  EXPECT_EQ(1, LastCsw(channel).status);
  EXPECT_EQ(16u, LastCsw(channel).residue);
  EXPECT_EQ((std::vector<uint8_t>{0x05, 0x20, 0x00}), Sense());
  // The sense is delivered once.
  EXPECT_EQ((std::vector<uint8_t>{0x00, 0x00, 0x00}), Sense());
}

TEST_F(BotSessionTest, ReadBeyondTheDiskFailsWithLbaOutOfRange) {
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(11, 1024, true, {0x28, 0, 0, 0, 0x1F, 0xFF, 0, 0, 2, 0})));
  EXPECT_EQ(1, LastCsw(channel).status);
  EXPECT_EQ((std::vector<uint8_t>{0x05, 0x21, 0x00}), Sense());
}

TEST_F(BotSessionTest, HostWithTooLittleRoomGetsAPhaseError) {
  // READ BUFFER of 1024 bytes into 512: case 7.
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(12, 512, true, {0x3C, 0x01, 0, 0, 0, 0, 0, 0x04, 0, 0})));
  EXPECT_TRUE(channel.DataIn().empty());
  EXPECT_TRUE(channel.Halted("halt-in"));
  EXPECT_EQ(2, LastCsw(channel).status);
  EXPECT_EQ(12u, LastCsw(channel).tag);
}

TEST_F(BotSessionTest, HostSendingTooLittleGetsAPhaseErrorAndNothingIsStored) {
  // WRITE BUFFER of 1024 bytes with 512 sent: case 13.
  const Bytes cbw = MakeCbw(13, 512, false, {0x3B, 0x0E, 0, 0, 0x04, 0, 0, 0x04, 0, 0});
  ASSERT_EQ(SessionStep::kCommandDone, Command(cbw, Pattern(512, 1)));
  EXPECT_FALSE(channel.HostHasPending());  // the host's bytes were taken
  EXPECT_EQ(2, LastCsw(channel).status);
  EXPECT_EQ(0u, enclosure.downloadPieces());
}

TEST_F(BotSessionTest, DirectionMismatchesAreAPhaseError) {
  // WRITE(10) announced as data in: case 8; nothing is written.
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(14, 512, true, {0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0})));
  EXPECT_TRUE(channel.Halted("halt-in"));
  EXPECT_EQ(2, LastCsw(channel).status);

  // INQUIRY announced as data out: case 10; the host's bytes are taken.
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(15, 36, false, {0x12, 0, 0, 0, 36, 0}), Pattern(36, 2)));
  EXPECT_FALSE(channel.HostHasPending());
  EXPECT_FALSE(channel.Halted("halt-in"));
  EXPECT_EQ(2, LastCsw(channel).status);
}

TEST_F(BotSessionTest, DataWhereTheHostAnnouncedNoneIsAPhaseError) {
  ASSERT_EQ(SessionStep::kCommandDone, Command(MakeCbw(16, 0, true, {0x12, 0, 0, 0, 36, 0})));
  EXPECT_EQ(2, LastCsw(channel).status);  // case 2
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(17, 0, false, {0x3B, 0x0E, 0, 0, 0, 0, 0, 0x04, 0, 0})));
  EXPECT_EQ(2, LastCsw(channel).status);  // case 3
  EXPECT_EQ((std::vector<std::string>{"in:13"}), channel.events);
}

TEST_F(BotSessionTest, InvalidCbwStallsBothPipesWithoutACsw) {
  Bytes shorter = MakeCbw(18, 0, false, {0});
  shorter.pop_back();
  EXPECT_EQ(SessionStep::kInvalidCbw, Command(shorter));
  EXPECT_TRUE(channel.sent.empty());
  EXPECT_EQ((std::vector<std::string>{"halt-in", "halt-out"}), channel.events);

  Bytes badSignature = MakeCbw(19, 0, false, {0});
  badSignature[0] = 0;
  EXPECT_EQ(SessionStep::kInvalidCbw, Command(badSignature));
  EXPECT_TRUE(channel.sent.empty());
}

TEST_F(BotSessionTest, NotMeaningfulCbwIsRefusedWithAPhaseError) {
  Bytes cbw = MakeCbw(20, 8, true, {0x00, 0, 0, 0, 0, 0});
  cbw[bot::cbw::kLun] = 1;
  ASSERT_EQ(SessionStep::kCommandDone, Command(cbw));
  EXPECT_TRUE(channel.Halted("halt-in"));
  EXPECT_EQ(2, LastCsw(channel).status);
  EXPECT_EQ(20u, LastCsw(channel).tag);
}

TEST_F(BotSessionTest, DownloadPieceLandsInTheBufferAndReadsBack) {
  const Bytes piece = Pattern(1024, 3);
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(21, 1024, false, {0x3B, 0x0E, 0, 0, 0x04, 0, 0, 0x04, 0, 0}), piece));
  EXPECT_EQ(0, LastCsw(channel).status);
  EXPECT_EQ(0u, LastCsw(channel).residue);
  EXPECT_EQ(1u, enclosure.downloadPieces());
  EXPECT_EQ(0, std::memcmp(enclosure.downloadBuffer() + 0x400, piece.data(), piece.size()));

  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(22, 1024, true, {0x3C, 0x01, 0, 0, 0x04, 0, 0, 0x04, 0, 0})));
  EXPECT_EQ(piece, channel.DataIn());
  EXPECT_EQ(0, LastCsw(channel).status);
}

TEST_F(BotSessionTest, ChipInformationTravelsInTwelveByteForm) {
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(23, 16, true, {0xE0, 0xF4, 0xE7, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
  const Bytes data = channel.DataIn();
  ASSERT_EQ(16u, data.size());
  EXPECT_EQ(0xF4, data[0]);
  EXPECT_EQ(0xE7, data[1]);
  EXPECT_EQ(Bytes({21, 32, 0, 1}), Bytes(data.begin() + 12, data.end()));
}

TEST_F(BotSessionTest, DiskKeepsWhatIsWritten) {
  const Bytes blocks = Pattern(1024, 4);
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(24, 1024, false, {0x2A, 0, 0, 0, 0, 5, 0, 0, 2, 0}), blocks));
  EXPECT_EQ(0, LastCsw(channel).status);
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(25, 1024, true, {0x88, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0})));
  EXPECT_EQ(blocks, channel.DataIn());
}

TEST_F(BotSessionTest, HostEndingItsDataEarlyFailsTheCommand) {
  const Bytes cbw = MakeCbw(26, 1024, false, {0x3B, 0x0E, 0, 0, 0, 0, 0, 0x04, 0, 0});
  ASSERT_EQ(SessionStep::kCommandDone, Command(cbw, Pattern(100, 5)));
  EXPECT_EQ(1, LastCsw(channel).status);
  EXPECT_EQ(1024u, LastCsw(channel).residue);
  EXPECT_EQ(0u, enclosure.downloadPieces());
}

TEST_F(BotSessionTest, InjectedPieceFaultFailsWithTheEnclosureSense) {
  responder.FailDownloadPiecesAt(0x7400);
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(27, 1024, false, {0x3B, 0x0E, 0, 0, 0x74, 0, 0, 0x04, 0, 0}),
                    Pattern(1024, 6)));
  EXPECT_EQ(1, LastCsw(channel).status);
  EXPECT_EQ(0u, enclosure.downloadPieces());
  // The sense is the enclosure's, asked for in the bridge's own 12-byte form.
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(28, 18, true, {0x03, 0, 0, 0, 18, 0, 0, 0, 0, 0, 0, 0})));
  const Bytes sense = channel.DataIn();
  ASSERT_EQ(18u, sense.size());
  EXPECT_EQ(0x04, sense[2]);
  EXPECT_EQ(0x44, sense[12]);

  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(29, 1024, false, {0x3B, 0x0E, 0, 0, 0x70, 0, 0, 0x04, 0, 0}),
                    Pattern(1024, 7)));
  EXPECT_EQ(0, LastCsw(channel).status);
}

TEST_F(BotSessionTest, EnclosureFailuresKeepTheEnclosureSense) {
  // The TBR640 does not answer the alternative chip information command.
  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(30, 16, true, {0xFE, 0xF4, 0xE7, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
  EXPECT_EQ(1, LastCsw(channel).status);
  EXPECT_EQ((std::vector<uint8_t>{0x05, 0x20, 0x00}), Sense());
}

TEST_F(BotSessionTest, ModeSenseAndCapacityAnswerTheAttach) {
  ASSERT_EQ(SessionStep::kCommandDone, Command(MakeCbw(31, 192, true, {0x1A, 0, 0x3F, 0, 192, 0})));
  EXPECT_EQ(Bytes({3, 0, 0, 0}), channel.DataIn());
  EXPECT_EQ(188u, LastCsw(channel).residue);

  ASSERT_EQ(SessionStep::kCommandDone,
            Command(MakeCbw(32, 8, true, {0x5A, 0, 0x3F, 0, 0, 0, 0, 0, 8, 0})));
  EXPECT_EQ(Bytes({0, 6, 0, 0, 0, 0, 0, 0}), channel.DataIn());

  ASSERT_EQ(
      SessionStep::kCommandDone,
      Command(MakeCbw(33, 32, true, {0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0})));
  const Bytes capacity = channel.DataIn();
  ASSERT_EQ(32u, capacity.size());
  EXPECT_EQ(Bytes({0, 0, 0, 0, 0, 0, 0x1F, 0xFF, 0, 0, 2, 0}),
            Bytes(capacity.begin(), capacity.begin() + 12));

  for (const uint8_t opcode : {0x00, 0x1E, 0x35}) {
    ASSERT_EQ(SessionStep::kCommandDone,
              Command(MakeCbw(34, 0, false, {opcode, 0, 0, 0, 0, 0, 0, 0, 0, 0})));
    EXPECT_EQ(0, LastCsw(channel).status) << static_cast<int>(opcode);
  }
}

TEST_F(BotSessionTest, VitalProductDataAndShortCdbsAreRefused) {
  ASSERT_EQ(SessionStep::kCommandDone, Command(MakeCbw(35, 64, true, {0x12, 1, 0x80, 0, 64, 0})));
  EXPECT_EQ(1, LastCsw(channel).status);
  EXPECT_EQ((std::vector<uint8_t>{0x05, 0x24, 0x00}), Sense());

  // READ(10) in a six-byte command block.
  ASSERT_EQ(SessionStep::kCommandDone, Command(MakeCbw(36, 0, true, {0x28, 0, 0, 0, 0, 0})));
  EXPECT_EQ(1, LastCsw(channel).status);
  EXPECT_EQ((std::vector<uint8_t>{0x05, 0x24, 0x00}), Sense());
}

TEST_F(BotSessionTest, LostPipeEndsTheCommandWithoutACsw) {
  EXPECT_EQ(SessionStep::kPipeLost, session.ServeOne());  // nothing from the host
  EXPECT_EQ(ESHUTDOWN, session.lastError());

  channel.failSends = true;
  EXPECT_EQ(SessionStep::kPipeLost, Command(MakeCbw(37, 36, true, {0x12, 0, 0, 0, 36, 0})));
  EXPECT_TRUE(observer.tags.empty());
}

TEST_F(BotSessionTest, ObserverSeesEachCompletedCommand) {
  Command(MakeCbw(40, 0, false, {0x00, 0, 0, 0, 0, 0}));
  Command(MakeCbw(41, 16, true, {0xC7, 0, 0, 0, 0, 0}));
  EXPECT_EQ((std::vector<uint32_t>{40, 41}), observer.tags);
  EXPECT_EQ((std::vector<bot::CswStatus>{bot::CswStatus::kPassed, bot::CswStatus::kFailed}),
            observer.statuses);
}

}  // namespace
