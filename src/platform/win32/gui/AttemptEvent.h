#pragma once
// The window's update attempt as an entry in the Windows event log: its event
// id and type by the attempt's result, the same as tq214 files the same
// outcomes with.

#include <string>

#include "Tessaloft_main/UpdateWatcher.h"
#include "platform/win32/Win32EventLog.h"

// The kind of entry that an attempt ending with `result` makes.
EventKind EventKindOfAttempt(AttemptResult result);

// `attempt` as the event log takes it; `imageSha256` that of the image the
// program carries.
UpdateEvent EventOfAttempt(const UpdateAttempt& attempt, const std::string& imageSha256);
