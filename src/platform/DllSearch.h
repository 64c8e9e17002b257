#pragma once
// Where the program's DLLs come from. The first statement of each program's
// entry point: from there on the process loads a DLL named without a folder
// from the system folder only, never from the program's folder (which may be
// Downloads) or the working folder. On Linux there is nothing to do: the
// dynamic loader looks in neither. One file per platform.
//
// `preloads` (`count` file names): DLLs that the system loads by name for the
// program later, loaded here from the system folder by full path where
// Windows cannot keep the program's folder out of the search (Windows 7 and
// Vista without SetDefaultDllDirectories), so that nothing, COM included,
// loads one from elsewhere first.

#include <cstddef>

void LoadDllsFromSystemFolderOnly(const wchar_t* const* preloads = nullptr, size_t count = 0);
