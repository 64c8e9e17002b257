#include "cli/update/UpdateEvents.h"

#include <cstdint>

#include "cli/enclosure/RowResult.h"

namespace {

constexpr int kProgressStepPercent = 5;

}  // namespace

class UpdateEvents::View final : public ProgressView {
 public:
  View(UpdateEvents& events, ResultRow row) : events_(events), row_(std::move(row)) {}

  void Show(const ProgressState& state) override {
    if (!shown_ || state.stage != last_.stage || state.attempt != last_.attempt) {
      JsonWriter phase;
      Begin(phase, "phase", row_)
          .Member("phase", StageName(state.stage))
          .Member("attempt", state.attempt);
      events_.Write(phase);
    }
    if (state.percent / kProgressStepPercent > step_) {
      step_ = state.percent / kProgressStepPercent;
      JsonWriter progress;
      Begin(progress, "progress", row_)
          .Member("phase", StageName(state.stage))
          .Member("percent", state.percent);
      events_.Write(progress, "progress " + row_.device);
    }
    shown_ = true;
    last_ = state;
  }
  void End() override {}

 private:
  UpdateEvents& events_;
  const ResultRow row_;
  bool shown_ = false;
  ProgressState last_;
  int step_ = 0;  // the last progress event's, in steps of 5 percent
};

void UpdateEvents::Started(const ResultRow& row) {
  WithFirmwareBefore("start", row);
}

void UpdateEvents::Ended(const ResultRow& row) {
  JsonWriter event;
  Begin(event, "result", row)
      .Member("result", ResultText(row.result))
      .Member("reason", row.reason)
      .Member("sense", row.sense)
      .Member("milliseconds", JsonMilliseconds(row.seconds));
  Write(event);
}

void UpdateEvents::Arrived(const ResultRow& row) {
  WithFirmwareBefore("arrival", row);
}

void UpdateEvents::WithFirmwareBefore(const char* kind, const ResultRow& row) {
  JsonWriter event;
  Begin(event, kind, row).Member("firmwareBefore", row.firmwareBefore);
  Write(event);
}

void UpdateEvents::Removed(const ResultRow& row) {
  JsonWriter event;
  Begin(event, "removal", row);
  Write(event);
}

void UpdateEvents::Confirmed(const ResultRow& row) {
  JsonWriter event;
  Begin(event, "confirmation", row)
      .Member("confirmed", row.confirmed)
      .Member("firmwareAfter", row.firmwareAfter);
  Write(event);
}

std::unique_ptr<ProgressView> UpdateEvents::ViewOf(const ResultRow& row) {
  return std::make_unique<View>(*this, row);
}

JsonWriter& UpdateEvents::Begin(JsonWriter& event, const char* kind, const ResultRow& row) {
  return event.BeginDocument()
      .Member("event", kind)
      .Member("path", row.device)
      .MemberOrNull("serial", row.serial)
      .MemberOrNull("place", row.places.empty() ? std::string() : row.places.front());
}

void UpdateEvents::Write(JsonWriter& event, const std::string& progressKey) {
  const std::string line = event.EndObject().text() + "\n";
  std::lock_guard<std::mutex> guard(lock_);
  if (progressKey.empty()) {
    out_ << line << std::flush;
  } else {
    progress_.Show(progressKey, line);
  }
}

std::unique_ptr<UpdateEvents> JsonLinesOf(CommandRun& run) {
  return run.args.jsonLines ? std::make_unique<UpdateEvents>(run.env.out, run.outProgress())
                            : nullptr;
}
