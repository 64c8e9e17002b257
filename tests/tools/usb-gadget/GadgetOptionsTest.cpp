// The device program's command line.

#include <gtest/gtest.h>

#include "usb-gadget/GadgetOptions.h"

namespace {

bool Parse(const std::vector<std::string>& args, GadgetOptions* options, std::string* error) {
  return ParseGadgetOptions(args, options, error);
}

TEST(GadgetOptionsTest, ReadsEveryOption) {
  GadgetOptions options;
  std::string error;
  ASSERT_TRUE(
      Parse({"--ffs", "/dev/ffs-tq214", "--ready", "/run/r", "--stats", "/run/s", "--commands",
             "/run/c", "--disk-mib", "8", "--fail-piece-at", "0x7400", "--flip-read-back", "1234",
             "--fail-read-back-at", "0x7400", "--short-block-read", "3", "--verbose"},
            &options, &error))
      << error;
  EXPECT_EQ("/dev/ffs-tq214", options.ffsDir);
  EXPECT_EQ("/run/r", options.readyFile);
  EXPECT_EQ("/run/s", options.statsFile);
  EXPECT_EQ("/run/c", options.commandsFile);
  EXPECT_EQ(8u, options.diskMiB);
  ASSERT_TRUE(options.failPieceAt.has_value());
  EXPECT_EQ(0x7400u, *options.failPieceAt);
  ASSERT_TRUE(options.flipReadBack.has_value());
  EXPECT_EQ(1234u, *options.flipReadBack);
  EXPECT_EQ(0x7400u, options.failReadBackAt.value_or(0));
  EXPECT_EQ(3u, options.shortBlockRead.value_or(0));
  EXPECT_TRUE(options.verbose);
}

TEST(GadgetOptionsTest, DefaultsWithoutFaults) {
  GadgetOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--ffs", "/x"}, &options, &error));
  EXPECT_EQ(4u, options.diskMiB);
  EXPECT_FALSE(options.failPieceAt.has_value());
  EXPECT_FALSE(options.flipReadBack.has_value());
  EXPECT_FALSE(options.failReadBackAt.has_value());
  EXPECT_FALSE(options.verbose);
}

TEST(GadgetOptionsTest, RefusesBadUsageWithOneLine) {
  const std::vector<std::vector<std::string>> bad = {
      {},                                          // no --ffs
      {"--ffs"},                                   // no value
      {"--ffs", "/x", "--disk-mib", "0"},          // too small
      {"--ffs", "/x", "--disk-mib", "65"},         // too large
      {"--ffs", "/x", "--fail-piece-at", "-1"},    // negative
      {"--ffs", "/x", "--fail-piece-at", "12ab"},  // not a number
      {"--ffs", "/x", "--flip-read-back", "0x100000000"},
      {"--ffs", "/x", "--fail-read-back-at", "0x7400x"},
      {"--ffs", "/x", "--short-block-read", "0"},  // reads count from 1
      {"--ffs", "/x", "--colour", "red"},
  };
  for (const auto& args : bad) {
    GadgetOptions options;
    std::string error;
    EXPECT_FALSE(Parse(args, &options, &error)) << (args.empty() ? "" : args.back());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::string::npos, error.find('\n'));
  }
}

TEST(GadgetOptionsTest, HelpNeedsNothingElse) {
  GadgetOptions options;
  std::string error;
  ASSERT_TRUE(Parse({"--help"}, &options, &error));
  EXPECT_TRUE(options.help);
}

}  // namespace
