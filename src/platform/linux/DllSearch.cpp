#include "platform/DllSearch.h"

// The dynamic loader looks for libraries in the system's folders and those
// the program names (no run path here), never in its own folder or the
// working folder.
void LoadDllsFromSystemFolderOnly(const wchar_t* const*, size_t) {}
