#pragma once
// What a file that is not the one expected is, in the words of the messages
// that refuse it ("a FIFO, not a regular file").

#include <sys/types.h>

// "a directory", "a symbolic link", "a FIFO", "a socket", "a character
// device", "a block device"; "a regular file" for one; "something else".
const char* FileKindOf(mode_t mode);
