// The paths of the file table, each stored by its length in blocks that stay
// in place until the next search clears the table.
#pragma once
#include <cstddef>

// Stores a copy of `path` and returns it; null when memory ran out.
const char* StorePath(const char* path);
// Start of a search: every stored path is given up.
void ClearPathStore();
// Bytes the stored paths take, block overhead included.
size_t PathStoreBytes();
