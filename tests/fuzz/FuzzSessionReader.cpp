// Any bytes as a session file: the reader refuses or reads, never crashes,
// never writes past a buffer, and a session it reads replays without harm.

#include <cstddef>
#include <cstdint>
#include <string>

#include "session/SessionReader.h"
#include "session/SessionReplayer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Session session;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const SessionLoad load = ParseSession(text, "fuzz", &session);
  if (!load.ok) {
    // One line that names the problem.
    if (load.error.empty() || load.error.find('\n') != std::string::npos) __builtin_trap();
    return 0;
  }
  // What it read answers questions within the bounds it was read with.
  SessionReplayer replayer(std::move(session));
  std::string path;
  for (uint32_t i = 0; i < 4; ++i) replayer.Get(i, &path);
  char directory[8];
  replayer.WindowsDirectory(directory, sizeof directory);
  replayer.PlacesOf(path);
  return 0;
}
