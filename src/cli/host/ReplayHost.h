#pragma once
// tq214's machine when it replays a session: the machine the session
// describes.

#include <string>
#include <vector>

#include "cli/host/Host.h"
#include "session/SessionReplayer.h"

class ReplayHost final : public Host {
 public:
  ReplayHost(Session run, Resources* resources);

  SessionReplayer& replayer() { return replayer_; }

  Seams seams() override;
  std::string ShownPath(const std::string& path) const override;
  // As the recorded machine: a Windows one takes raw device paths.
  bool TakesRawDevicePaths() const override { return !MountPoints(); }
  // As recorded with the disk's places; a session from before serial numbers
  // were recorded gives what its paths carry.
  std::string SerialOf(const std::string& path) const override;
  std::vector<std::string> Places(const std::string& path) override;
  const char* placesKey() const override;
  const char* placesLabel() const override;
  bool IsAccessError(uint32_t code) const override;
  std::string AccessAdvice(uint32_t code) const override;
  const char* detachVerb() const override;

 private:
  bool MountPoints() const;

  mutable SessionReplayer replayer_;  // its answers are looked up, which it counts
  Resources* resources_;
};
