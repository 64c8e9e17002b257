#pragma once
// The progress of several updates at once. On a terminal: one line per
// device, all redrawn in place at every change, each cut to the terminal's
// width so that a line is one row of the screen; otherwise: the plain
// progress lines, each prefixed with its device. Shared by the updates'
// threads: every drawing is whole. Drawings and progress lines are progress
// (ProgressSink): one not shown yet gives way to the next of its device (off
// a terminal) or of the drawing.

#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/update/Progress.h"

class MultiProgress {
 public:
  // `progress`: the progress of `out`. `columns`: the terminal's width.
  MultiProgress(std::ostream& out, ProgressSink& progress, bool terminal,
                size_t columns = kDefaultColumns);

  static constexpr size_t kDefaultColumns = 80;
  ~MultiProgress();
  MultiProgress(const MultiProgress&) = delete;
  MultiProgress& operator=(const MultiProgress&) = delete;

  // A line for the device `name`; its update reports to the view returned,
  // which lives as long as this.
  ProgressView* Add(const std::string& name);
  // A line of its own between the drawings (an event, a result).
  void Say(const std::string& line);
  // `text` on `err`, above the drawing, which follows again below it.
  void Notice(std::ostream& err, const std::string& text);

 private:
  class DeviceView;
  void Show(size_t slot, const ProgressState& state);
  // Off a terminal: a progress line of the device in `slot`.
  void Line(size_t slot, const std::string& line);
  void Redraw();

  std::ostream& out_;
  ProgressSink& progress_;
  bool terminal_;
  size_t columns_;
  std::mutex lock_;
  std::vector<std::unique_ptr<DeviceView>> views_;
  std::vector<std::string> lines_;
  size_t drawn_ = 0;  // rows of the last drawing, above the cursor
};
