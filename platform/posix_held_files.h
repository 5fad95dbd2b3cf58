// Exclusive opens on POSIX, kept inside the process. Each open file is known
// by its device and inode, so a second open of the same file by any path is
// refused, whatever other programs do. Real descriptors are attached on demand
// and capped well below the open-file limit: the grouping pass may hold a
// whole size run of thousands of files open, and no file may drop out of the
// comparison because descriptors ran short.
#pragma once
#include <cstdint>

#include "platform/platform.h"

// Opens a regular file without blocking (a FIFO swapped in is refused).
FileHandle OpenHeldFile(const char* path);
// False also when the file was written since it was opened.
bool HeldFileSize(FileHandle file, uint64_t* size);
// A detached file is reopened by its path first; if that no longer leads to
// the same file, or the file's size or last write changed, the read fails. A read interrupted by a signal fails at once.
bool ReadHeldFile(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count);
void CloseHeldFile(FileHandle file);

// Real descriptors held at most; tests lower it to force reattaching.
extern uint32_t heldDescriptorCap;
