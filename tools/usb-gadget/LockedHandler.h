#pragma once
// A command handler whose commands run under a lock, so that another thread
// (the ep0 thread power-cycling the enclosure on re-attachment) never changes
// the enclosure in the middle of a command.

#include <mutex>

#include "usb-gadget/CommandHandler.h"

class LockedHandler final : public CommandHandler {
 public:
  LockedHandler(CommandHandler& inner, std::mutex& mutex) : inner_(inner), mutex_(mutex) {}

  DevicePlan Plan(const uint8_t* cdb, uint8_t cdbLength) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    return inner_.Plan(cdb, cdbLength);
  }
  ChipReply Execute(const uint8_t* cdb, uint8_t cdbLength, bool dataIn, uint8_t* data,
                    uint32_t length) override {
    const std::lock_guard<std::mutex> lock(mutex_);
    return inner_.Execute(cdb, cdbLength, dataIn, data, length);
  }

 private:
  CommandHandler& inner_;
  std::mutex& mutex_;
};
