#include "cli/host/ClosedDescriptors.h"

// Nothing to do: the C runtime keeps its descriptors 0, 1 and 2 for the
// standard streams even when the process got no handle for them, so a file
// it opens never takes one of those numbers (checked under Wine: started
// with `>&-` or `2>&-`, tq214.exe --record left the session whole before
// this function existed); devices are opened as Windows handles, which are
// never standard descriptors.
void OpenClosedStandardStreams() {}
