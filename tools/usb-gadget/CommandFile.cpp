#include "usb-gadget/CommandFile.h"

#include <cstdio>
#include <utility>

std::string CdbText(const CommandBlockWrapper& cbw) {
  std::string text = "[";
  for (uint8_t i = 0; i < cbw.commandLength && i < cbw.command.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : " %02x", cbw.command[i]);
    text += byte;
  }
  return text + "]";
}

std::string CommandLine(const CommandBlockWrapper& cbw) {
  if (cbw.dataTransferLength == 0) return CdbText(cbw) + " none 0";
  return CdbText(cbw) + (cbw.dataIn ? " in " : " out ") + std::to_string(cbw.dataTransferLength);
}

CommandFile::CommandFile(std::string path, CommandObserver* next)
    : path_(std::move(path)), next_(next) {}

void CommandFile::OnCommand(const CommandRecord& record) {
  if (!path_.empty()) {
    std::FILE* file = std::fopen(path_.c_str(), "a");
    if (file != nullptr) {
      std::fprintf(file, "%s\n", CommandLine(*record.cbw).c_str());
      std::fclose(file);
    }
  }
  if (next_ != nullptr) next_->OnCommand(record);
}
