#pragma once
// Opens a file that has to be a regular file: the update history, a session
// recorded or replayed. Its name is UTF-8 on every system (Windows opens it
// through its wide functions, so that any folder's name works). What is not
// a regular file (a directory, a FIFO, a device such as /dev/zero, NUL or
// CON) is refused without being waited for, read or written: a FIFO is
// opened without blocking and looked at before anything else. A file to
// write is never the one standard output or error goes to. Each platform
// folder has the body.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

enum class FileUse : uint8_t {
  kRead,     // read from its start
  kAppend,   // written at its end; created when missing
  kRewrite,  // read and written from its start; created when missing, emptied
};

struct OpenedFile {
  std::FILE* file = nullptr;  // the caller closes it; null when refused
  bool missing = false;       // there is no such file (nor the folder it would be in)
  std::string error;          // why not: "a directory, not a regular file", the system's reason
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// An opened file, closed when its owner goes.
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

// `makeFolders`: missing folders on the way are made (the user's only).
OpenedFile OpenRegularFile(const std::string& path, FileUse use, bool makeFolders = false);

// Puts what was written to `file` (flushed already) on the disk itself, past
// the system's cache: false when the system says it could not.
bool SyncToDisk(std::FILE* file);

// Why writing `path` would not be safe, as the rules above say, found
// without writing or making anything: what another user placed or could
// change on the way (not a file that is simply missing, nor a file of the
// user's that is no regular one). "" when nothing is wrong.
std::string UnsafeToWrite(const std::string& path);

// Why a file to write is refused when the program's own output goes there.
constexpr char kStandardOutput[] = "where the program's own output goes, not a file of its own";
