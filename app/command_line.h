#pragma once
#include <cstddef>

// Looks for the first occurrence of `name` (case-sensitive) in `commandLine`.
// When exactly one character of any kind and then a double quote follow it,
// copies what follows the quote up to the closing quote, the end of the
// command line or 258 characters, whichever comes first, into `value` (of
// `size` bytes) and returns true. Otherwise leaves `value` alone. These loose
// rules are kept: shortcuts and scripts written for the program rely on them.
bool ApplySwitch(const char* commandLine, const char* name, char* value, size_t size);

// "/dir" into settings.currentPath and "/filter" into settings.currentFilter.
void ApplyCommandLine(const char* commandLine);
