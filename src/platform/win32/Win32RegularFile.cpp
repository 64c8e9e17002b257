// Regular files on Windows, opened by their wide names, so that a folder
// named in any script works. What opens without being a file on disk (CON,
// NUL, a pipe, a serial port), a directory, and the names of the device
// namespace (\\.\PhysicalDrive1, \\.\E:, \\?\GLOBALROOT\...), whose disks
// and volumes the system counts as disk files too, are refused. An elevated
// program refuses a junction or symbolic link on the way to a file it
// writes, and the file itself when it is one (Win32FolderWalk.h); without
// elevation the user writes only where the user may anyway.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwctype>

#include "platform/RegularFile.h"
#include "platform/win32/Win32FolderWalk.h"
#include "platform/win32/Win32Text.h"

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// \\.\ names devices only; \\?\ names a file system's files only as
// \\?\X:\... and \\?\UNC\server\...
bool NamesADevice(const std::wstring& path) {
  if (path.size() < 4 || !IsSeparator(path[0]) || !IsSeparator(path[1]) || !IsSeparator(path[3])) {
    return false;
  }
  if (path[2] == L'.') return true;
  if (path[2] != L'?') return false;
  const wchar_t* rest = path.c_str() + 4;
  const size_t left = path.size() - 4;
  const bool drive = left >= 3 && std::iswalpha(rest[0]) && rest[1] == L':' && IsSeparator(rest[2]);
  const bool unc = left >= 4 && _wcsnicmp(rest, L"UNC", 3) == 0 && IsSeparator(rest[3]);
  return !drive && !unc;
}

std::string Reason(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
      return std::strerror(EACCES);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "in use by another program";
    default:
      return "Windows error " + std::to_string(code);
  }
}

bool SameFile(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& file) {
  BY_HANDLE_FILE_INFORMATION other{};
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &other) &&
         other.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
         other.nFileIndexHigh == file.nFileIndexHigh && other.nFileIndexLow == file.nFileIndexLow;
}

OpenedFile Refused(HANDLE handle, std::string error) {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  OpenedFile refused;
  refused.error = std::move(error);
  return refused;
}

constexpr char kReparsePoint[] = "a junction or symbolic link, never followed";

// Why an elevated program may not write `name`, seen before it is opened:
// a reparse point on the way or at the end. `make`: missing folders made.
std::string ReparseProblem(const std::wstring& name, DWORD attributes, bool make) {
  const std::wstring full = FullPathOf(name);
  bool missing = false;
  const std::string problem = full.empty() ? "" : ReparsePointOnTheWay(full, make, &missing);
  if (!problem.empty() && !missing) return problem;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return kReparsePoint;
  }
  return "";
}

}  // namespace

std::string UnsafeToWrite(const std::string& path) {
  if (!RunsElevated()) return "";
  const std::wstring name = WideFromUtf8(path);
  return NamesADevice(name) ? "" : ReparseProblem(name, GetFileAttributesW(name.c_str()), false);
}

namespace {

// The folders above `name`, each made where it is missing; what cannot be
// made shows when the file is opened. Without std::filesystem, whose code
// would more than double the window's size.
void MakeFoldersOf(const std::wstring& name) {
  for (size_t at = name.find_first_of(L"\\/", 1); at != std::wstring::npos;
       at = name.find_first_of(L"\\/", at + 1)) {
    // A drive ("C:"), the long-path prefix or a share's name fail here, harmlessly.
    CreateDirectoryW(name.substr(0, at).c_str(), nullptr);
  }
}

// How a use opens its file: the system's access and disposition, the C
// runtime's flags and the stream's mode.
struct OpenMode {
  DWORD access;
  DWORD disposition;
  int flags;
  const char* stream;
};

OpenMode ModeOf(FileUse use) {
  switch (use) {
    case FileUse::kAppend:
      // Append only: the system puts every write at the end, also with
      // another program appending.
      return {FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, OPEN_ALWAYS, _O_APPEND, "ab"};
    case FileUse::kRewrite:
      // Emptied once it is known to be a regular file.
      return {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0, "r+b"};
    case FileUse::kRead:
      break;
  }
  return {GENERIC_READ, OPEN_EXISTING, _O_RDONLY, "rb"};
}

// Why the file `handle` opened is not one to use as `use` says; "" when it
// is, a file to rewrite emptied by then.
std::string OpenedProblem(HANDLE handle, FileUse use, bool guarded) {
  const DWORD type = GetFileType(handle);
  BY_HANDLE_FILE_INFORMATION info{};
  if (type != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return type == FILE_TYPE_PIPE ? "a pipe, not a regular file" : "a device, not a regular file";
  }
  if (guarded && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return kReparsePoint;
  }
  if (guarded && info.nNumberOfLinks != 1) {
    return "has " + std::to_string(info.nNumberOfLinks) + " links: another name leads to it";
  }
  if (use != FileUse::kRead && (SameFile(GetStdHandle(STD_OUTPUT_HANDLE), info) ||
                                SameFile(GetStdHandle(STD_ERROR_HANDLE), info))) {
    return kStandardOutput;
  }
  if (use == FileUse::kRewrite && !SetEndOfFile(handle)) return Reason(GetLastError());
  return "";
}

// The file `handle` opened, as a C stream that closes the handle with it.
OpenedFile StreamOf(HANDLE handle, const OpenMode& mode) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), mode.flags);
  if (fd < 0) return Refused(handle, std::strerror(errno));
  OpenedFile file;
  file.file = _fdopen(fd, mode.stream);
  if (file.file == nullptr) {
    file.error = std::strerror(errno);
    _close(fd);  // and the handle with it
  }
  return file;
}

}  // namespace

OpenedFile OpenRegularFile(const std::string& path, FileUse use, bool makeFolders) {
  const std::wstring name = WideFromUtf8(path);
  if (NamesADevice(name)) return Refused(INVALID_HANDLE_VALUE, "a device, not a regular file");
  const bool guarded = use != FileUse::kRead && RunsElevated();
  if (makeFolders && !guarded) MakeFoldersOf(name);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (guarded) {
    const std::string problem = ReparseProblem(name, attributes, makeFolders);
    if (!problem.empty()) return Refused(INVALID_HANDLE_VALUE, problem);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Refused(INVALID_HANDLE_VALUE, "a directory, not a regular file");
  }
  const OpenMode mode = ModeOf(use);
  // A link planted after the look is opened as itself, and refused below.
  const DWORD opening = FILE_ATTRIBUTE_NORMAL | (guarded ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  HANDLE handle = CreateFileW(name.c_str(), mode.access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, mode.disposition, opening, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    OpenedFile failed = Refused(handle, Reason(code));
    failed.missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
    return failed;
  }
  const std::string problem = OpenedProblem(handle, use, guarded);
  if (!problem.empty()) return Refused(handle, problem);
  return StreamOf(handle, mode);
}

// _commit is FlushFileBuffers on the descriptor's handle.
bool SyncToDisk(std::FILE* file) {
  return _commit(_fileno(file)) == 0;
}
