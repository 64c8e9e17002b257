#include "cli/update/MultiProgress.h"

#include <cstdio>

namespace {

constexpr int kBarWidth = 20;
constexpr char kUp[] = "\x1b[%zuA";
constexpr char kClearToEnd[] = "\x1b[K";
constexpr char kClearToScreenEnd[] = "\x1b[J";

std::string BarLine(const std::string& name, const ProgressState& state) {
  const int filled = static_cast<int>(state.fraction * kBarWidth);
  std::string bar(static_cast<size_t>(filled), '#');
  bar.resize(kBarWidth, '.');
  char tail[64];
  std::snprintf(tail, sizeof tail, "  %-13s [%s] %3d%%%s", StageName(state.stage), bar.c_str(),
                state.percent, state.attempt > 1 ? " (attempt 2)" : "");
  return name + tail;
}

}  // namespace

// Forwards one device's states to the shared drawing; off a terminal, to a
// plain view of its own whose lines get the device's name in front.
class MultiProgress::DeviceView final : public ProgressView {
 public:
  DeviceView(MultiProgress& owner, size_t slot, std::string name)
      : owner_(owner),
        slot_(slot),
        name_(std::move(name)),
        textProgress_(text_),
        plain_(textProgress_) {}
  void Show(const ProgressState& state) override {
    if (owner_.terminal_) {
      owner_.Show(slot_, state);
      return;
    }
    plain_.Show(state);
    std::string line;
    while (std::getline(text_, line)) owner_.Line(slot_, name_ + ": " + line);
    text_.clear();
  }
  void End() override {}
  const std::string& name() const { return name_; }

 private:
  MultiProgress& owner_;
  size_t slot_;
  std::string name_;
  std::stringstream text_;
  StreamProgress textProgress_;
  PlainProgress plain_;
};

MultiProgress::MultiProgress(std::ostream& out, ProgressSink& progress, bool terminal,
                             size_t columns)
    : out_(out),
      progress_(progress),
      terminal_(terminal),
      columns_(columns > 1 ? columns : kDefaultColumns) {}

MultiProgress::~MultiProgress() = default;

ProgressView* MultiProgress::Add(const std::string& name) {
  std::lock_guard<std::mutex> guard(lock_);
  views_.push_back(std::make_unique<DeviceView>(*this, views_.size(), name));
  lines_.push_back((name + "  waiting").substr(0, columns_ - 1));
  return views_.back().get();
}

void MultiProgress::Show(size_t slot, const ProgressState& state) {
  std::lock_guard<std::mutex> guard(lock_);
  lines_[slot] = BarLine(views_[slot]->name(), state).substr(0, columns_ - 1);
  Redraw();
}

void MultiProgress::Line(size_t slot, const std::string& line) {
  std::lock_guard<std::mutex> guard(lock_);
  progress_.Show("unit " + std::to_string(slot), line + '\n');
}

void MultiProgress::Say(const std::string& line) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!terminal_) {
    out_ << line << '\n';
    return;
  }
  // Above the drawing, which follows again below it.
  if (drawn_ != 0) {
    char up[32];
    std::snprintf(up, sizeof up, kUp, drawn_);
    out_ << up;
  }
  out_ << '\r' << line << kClearToEnd << '\n';
  drawn_ = 0;
  Redraw();
}

void MultiProgress::Notice(std::ostream& err, const std::string& text) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!terminal_) {
    err << text << std::flush;
    return;
  }
  // The drawing is taken off the screen, the notice written where it began,
  // and the drawing follows again below it.
  if (drawn_ != 0) {
    char up[32];
    std::snprintf(up, sizeof up, kUp, drawn_);
    out_ << up;
  }
  out_ << '\r' << kClearToScreenEnd << std::flush;
  err << text << std::flush;
  drawn_ = 0;
  Redraw();
}

void MultiProgress::Redraw() {
  if (!terminal_) return;
  std::string drawing;
  if (drawn_ != 0) {
    char up[32];
    std::snprintf(up, sizeof up, kUp, drawn_);
    drawing = up;
  }
  for (const std::string& line : lines_) drawing += '\r' + line + kClearToEnd + '\n';
  // A drawing over as many rows as the last leaves the cursor where that
  // one did: it may take the place of one not shown yet. One that changes
  // the rows may not.
  if (drawn_ == lines_.size()) {
    progress_.Show("drawing", drawing);
  } else {
    out_ << drawing << std::flush;
  }
  drawn_ = lines_.size();
}
