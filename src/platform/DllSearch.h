#pragma once
// Where the program's DLLs come from. The first statement of each program's
// entry point: from there on the process loads a DLL named without a folder
// from the system folder only, never from the program's folder (which may be
// Downloads) or the working folder. On Linux there is nothing to do: the
// dynamic loader looks in neither. One file per platform.

void LoadDllsFromSystemFolderOnly();
