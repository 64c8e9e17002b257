#pragma once
// Reads a session file, refusing anything that is not one: a file too large,
// nested too deep, not JSON, of another format, or with a member of the wrong
// type or size. Each refusal is one line that names the problem and where.
// A file cut short by a crash while an event was written is read up to its
// last complete event. The file is read as a stream, so that what it takes
// in memory is the session it holds; a machine that cannot give even that is
// one more refusal ("FILE: too large to read (out of memory)"). The file must
// be a regular one, opened without waiting for a FIFO; a read that fails is
// a refusal too.

#include <string>

#include "session/SessionEvent.h"
#include "session/SessionLimits.h"

struct SessionLoad {
  bool ok = false;
  bool cutShort = false;  // the file ended inside an event; the rest was read
  std::string error;      // "FILE: event 12: 'cdb' must be ..."
};

SessionLoad LoadSession(const std::string& path, Session* session);

// The same for a file's text (`name` stands for the file in messages), with
// at most `maxEvents` events (fewer than a session may hold where a test
// needs the limit without a million events).
SessionLoad ParseSession(const std::string& text, const std::string& name, Session* session,
                         size_t maxEvents = kMaxSessionEvents);
