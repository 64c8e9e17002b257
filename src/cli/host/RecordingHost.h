#pragma once
// tq214's machine when it records a session: wraps the machine the run works
// on (real or simulated) and records at its seams: device commands and device
// numbers, the disk interface list, drive letters and flushes, and where each
// disk's volumes are (mount points are read outside the seams on Linux).

#include <memory>
#include <string>
#include <vector>

#include "cli/host/Host.h"
#include "session/Recorders.h"

class RecordingHost final : public Host {
 public:
  RecordingHost(std::unique_ptr<Host> inner, SessionWriter& writer);

  Seams seams() override { return recorded_.seams(); }
  std::string ShownPath(const std::string& path) const override { return inner_->ShownPath(path); }
  std::string ResolveUserPath(const std::string& text) const override {
    return inner_->ResolveUserPath(text);
  }
  bool TakesRawDevicePaths() const override { return inner_->TakesRawDevicePaths(); }
  std::string SerialOf(const std::string& path) const override { return inner_->SerialOf(path); }
  std::string PortOf(const std::string& path) const override { return inner_->PortOf(path); }
  std::vector<std::string> Places(const std::string& path) override;
  const char* placesKey() const override { return inner_->placesKey(); }
  const char* placesLabel() const override { return inner_->placesLabel(); }
  bool IsAccessError(uint32_t code) const override { return inner_->IsAccessError(code); }
  std::string AccessAdvice(uint32_t code) const override { return inner_->AccessAdvice(code); }
  std::string ErrorText(uint32_t code) const override { return inner_->ErrorText(code); }
  const char* detachVerb() const override { return inner_->detachVerb(); }
  std::unique_ptr<DeviceEvents> Events() override { return inner_->Events(); }

 private:
  std::unique_ptr<Host> inner_;
  SessionWriter& writer_;
  RecordedSeams recorded_;
};
