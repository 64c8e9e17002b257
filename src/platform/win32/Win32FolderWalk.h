#pragma once
// The folders of a path that an elevated tq214.exe writes into (the history,
// a recorded session), looked at from the drive or share down: a junction or
// a symbolic link (a reparse point) on the way is refused, never followed,
// so that a user cannot send an administrator's write into another folder.
// Missing folders can be made on the way, each looked at once made. The
// file itself is opened with FILE_FLAG_OPEN_REPARSE_POINT and looked at
// through its handle (Win32RegularFile.cpp).

#include <string>

// Whether this process holds an administrator's full (elevated) token.
bool RunsElevated();

// Why `path` (a full path, as GetFullPathNameW gives it) cannot be written
// into safely: "the folder X is a junction or symbolic link, never
// followed"; "" when nothing is wrong. `make`: missing folders are made.
// `missing`: set when a folder is not there (and was not to be made).
std::string ReparsePointOnTheWay(const std::wstring& path, bool make, bool* missing);

// The full path of `name`, "" when the system cannot give one.
std::wstring FullPathOf(const std::wstring& name);
