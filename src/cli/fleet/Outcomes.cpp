#include "cli/fleet/Outcomes.h"

#include <iterator>

namespace {

constexpr OutcomeKind kKinds[] = {
#define TQ_OUTCOME(id, name, messageId, priority, eventId) {name, messageId, priority, eventId},
#include "cli/fleet/Outcomes.def"
#undef TQ_OUTCOME
};

}  // namespace

const OutcomeKind& KindOf(Outcome outcome) {
  return kKinds[static_cast<size_t>(outcome)];
}

bool OutcomeNamed(const std::string& name, Outcome* outcome) {
  for (size_t i = 0; i < std::size(kKinds); ++i) {
    if (name != kKinds[i].name) continue;
    *outcome = static_cast<Outcome>(i);
    return true;
  }
  return false;
}
