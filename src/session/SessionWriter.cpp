#include "session/SessionWriter.h"

#include <ctime>

#include "embedded/FirmwareImageDigest.h"
#include "platform/RegularFile.h"
#include "platform/SystemDescription.h"
#include "seams/ProgramVersion.h"
#include "session/SessionJson.h"
#include "session/SessionLimits.h"

namespace {

constexpr char kTail[] = "\n]}\n";

std::string Dotted(const uint16_t (&parts)[4]) {
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
         std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32] = {};
  const std::tm* utc = std::gmtime(&now);
  if (utc == nullptr || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc) == 0) {
    return "";
  }
  return text;
}

}  // namespace

SessionWriter::~SessionWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

bool SessionWriter::Open(const std::string& path, const SessionHeader& header, std::string* error) {
  std::lock_guard<std::mutex> guard(lock_);
  const OpenedFile opened = OpenRegularFile(path, FileUse::kRewrite);
  file_ = opened.file;
  if (file_ == nullptr) {
    *error = path + ": " + opened.error;
    return false;
  }
  // The header without its closing brace, then the events' array.
  std::string text = DumpJson(HeaderToJson(header));
  text.pop_back();
  text += ",\"events\":[";
  failed_ = std::fwrite(text.data(), 1, text.size(), file_) != text.size();
  tail_ = std::ftell(file_);
  WriteTail();
  if (failed_) *error = path + ": cannot be written";
  return !failed_;
}

void SessionWriter::Append(const SessionEvent& event) {
  std::lock_guard<std::mutex> guard(lock_);
  if (file_ == nullptr || failed_) return;
  std::string line = (events_ == 0 ? "\n" : ",\n") + DumpJson(EventToJson(event));
  if (std::fseek(file_, tail_, SEEK_SET) != 0 ||
      std::fwrite(line.data(), 1, line.size(), file_) != line.size()) {
    failed_ = true;
    return;
  }
  ++events_;
  tail_ = std::ftell(file_);
  WriteTail();
}

bool SessionWriter::ok() const {
  std::lock_guard<std::mutex> guard(lock_);
  return file_ != nullptr && !failed_;
}

void SessionWriter::WriteTail() {
  const size_t size = sizeof kTail - 1;
  if (std::fwrite(kTail, 1, size, file_) != size || std::fflush(file_) != 0) failed_ = true;
}

SessionHeader MakeHeader(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& placesKey) {
  SessionHeader header;
  header.format = kSessionFormat;
  header.program = program;
  header.version = Dotted(kProgramVersion);
  header.firmwareVersion = std::to_string(kFirmwareImageVersion[0]) + "." +
                           std::to_string(kFirmwareImageVersion[1]) + "." +
                           std::to_string(kFirmwareImageVersion[2]) + "." +
                           std::to_string(kFirmwareImageVersion[3]);
  header.firmwareKind = kFirmwareImageKind;
  header.firmwareSha256 = kFirmwareImageSha256;
  header.system = SystemDescription();
  header.placesKey = placesKey;
  header.started = UtcNow();
  header.arguments = arguments;
  return header;
}
