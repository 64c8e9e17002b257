// The window's attempts in the event log: each result's event id and type,
// as tq214 files the same outcomes (the message table's ids).

#include <gtest/gtest.h>

#include "platform/win32/gui/AttemptEvent.h"

namespace {

struct KindCase {
  AttemptResult result;
  DWORD id;
  WORD type;
};

void PrintTo(const KindCase& c, std::ostream* out) {
  *out << "result " << static_cast<int>(c.result);
}

class AttemptEventTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(AttemptEventTest, FilesTheResultAsTq214FilesTheOutcome) {
  const KindCase& c = GetParam();
  UpdateAttempt attempt;
  attempt.result = c.result;
  const EventKind kind = EventOfAttempt(attempt, "").kind;
  EXPECT_EQ(c.id, kind.id);
  EXPECT_EQ(c.type, kind.type);
}

INSTANTIATE_TEST_SUITE_P(
    Results, AttemptEventTest,
    ::testing::Values(KindCase{AttemptResult::kPassed, 1, EVENTLOG_INFORMATION_TYPE},
                      KindCase{AttemptResult::kFailed, 2, EVENTLOG_ERROR_TYPE},
                      KindCase{AttemptResult::kRefused, 3, EVENTLOG_WARNING_TYPE}));

}  // namespace
