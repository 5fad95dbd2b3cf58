// Exclusive opens on Windows (share mode 0) with a bounded number of open
// handles. A size run may hold tens of thousands of files; past the bound,
// held files give their handle back between reads and are reopened by path
// when next read. A detached file is known by its identity (volume serial
// and file index, or the 128-bit file id where Windows gives one), so a second
// path to it is still refused, and a reopen that finds another file, or the
// file with another size or last-write time, fails the read.
#pragma once
#include <cstdint>

#include "platform/platform.h"

FileHandle OpenHeldFile(const char* path);
bool HeldFileSize(FileHandle file, uint64_t* size);
bool ReadHeldFile(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count);
void CloseHeldFile(FileHandle file);

// Handles held open at most; tests lower it to force reopening.
extern uint32_t heldHandleCap;
