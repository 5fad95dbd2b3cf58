// The program's texts are Windows-1252 bytes; a POSIX terminal expects UTF-8.
#pragma once
#include <string>

// Appends `text` to `out` with every byte taken as Windows-1252. The five
// bytes that code page leaves unassigned become U+FFFD.
void AppendCp1252AsUtf8(std::string* out, const char* text);
