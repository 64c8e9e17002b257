#include "usb-gadget/StatsFile.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

StatsFile::StatsFile(std::string path)
    : path_(std::move(path)), clock_([this](const DownloadTiming& timing) {
        char line[96];
        std::snprintf(line, sizeof line, "download pieces=%u bytes=%u usec=%lld", timing.pieces,
                      timing.bytes, static_cast<long long>(timing.duration.count()));
        Append(line);
      }) {}

void StatsFile::OnCommand(const CommandRecord& record) {
  if (record.status == bot::CswStatus::kPhaseError) {
    char line[48];
    std::snprintf(line, sizeof line, "phase-error tag=%08" PRIx32, record.cbw->tag);
    Append(line);
  }
  clock_.OnCommand(record);
}

void StatsFile::Append(const std::string& line) const {
  if (path_.empty()) return;
  std::FILE* file = std::fopen(path_.c_str(), "a");
  if (file == nullptr) return;
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
}
