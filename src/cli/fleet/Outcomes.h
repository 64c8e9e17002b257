#pragma once
// The outcomes of an attempt as the system's logs file them (Outcomes.def):
// one kind per condition, the same from `update`, `update --all` and
// `watch`.

#include <cstdint>
#include <string>

enum class Outcome {
#define TQ_OUTCOME(id, name, messageId, priority, eventId) id,
#include "cli/fleet/Outcomes.def"
#undef TQ_OUTCOME
};

struct OutcomeKind {
  const char* name;
  const char* messageId;
  int priority;
  uint32_t eventId;
};

const OutcomeKind& KindOf(Outcome outcome);
// The outcome named `name` (TQ_OUTCOME); false for none.
bool OutcomeNamed(const std::string& name, Outcome* outcome);
