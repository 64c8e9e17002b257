#include "cli/capture/ProgramCapture.h"

#ifdef TQ214_CAPTURES_JSON
#include <filesystem>
#include <system_error>
#endif

namespace {

#ifdef TQ214_CAPTURES_JSON
// A history that is the file standard output or error goes to is never
// written (docs/cli.md); what grows there is the program's output.
std::vector<std::string> OwnFiles(const std::vector<std::string>& histories) {
  std::vector<std::string> own;
  for (const std::string& file : histories) {
    std::error_code error;
    const bool output = std::filesystem::equivalent(file, "/proc/self/fd/1", error) ||
                        std::filesystem::equivalent(file, "/proc/self/fd/2", error);
    if (!output) own.push_back(file);
  }
  return own;
}
#endif

// Null in a release build.
std::unique_ptr<JsonCapture> CaptureOf([[maybe_unused]] const std::string& folder,
                                       [[maybe_unused]] const std::vector<std::string>& args,
                                       [[maybe_unused]] const std::vector<std::string>& histories) {
#ifdef TQ214_CAPTURES_JSON
  return std::make_unique<JsonCapture>(folder, args, OwnFiles(histories), "tq214");
#else
  return nullptr;
#endif
}

}  // namespace

const char* ProgramCapture::FolderVariable() {
#ifdef TQ214_CAPTURES_JSON
  return "TQ214_JSON_CAPTURE_DIR";
#else
  return nullptr;
#endif
}

ProgramCapture::ProgramCapture(const std::string& folder, const std::vector<std::string>& args,
                               const std::vector<std::string>& histories)
    : capture_(CaptureOf(folder, args, histories)) {}

std::string* ProgramCapture::output() {
  return capture_ && capture_->keepsOutput() ? &output_ : nullptr;
}

void ProgramCapture::Keep() const {
  // A release build does not even link the capture.
#ifdef TQ214_CAPTURES_JSON
  if (capture_) capture_->Keep(output_);
#endif
}
