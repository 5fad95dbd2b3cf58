// The program's texts are Windows-1252 bytes; a POSIX terminal expects UTF-8.
#pragma once
#include <cstddef>
#include <string>

// Appends `text` to `out` with every byte taken as Windows-1252. The five
// bytes that code page leaves unassigned become U+FFFD.
void AppendCp1252AsUtf8(std::string* out, const char* text);

// Paths in console rows are escaped so that a name cannot forge a row: a
// control byte (0x01 to 0x1F, 0x7F) becomes %HH in upper-case hex (a newline
// %0A) and '%' itself becomes %25; every other byte stays. Fills `out` with at
// most outSize - 1 bytes and a terminator, never half an escape nor half a
// UTF-8 character (outSize of 5 or more), and returns how many bytes of
// `text` it took.
size_t EscapeControlBytes(const char* text, char* out, size_t outSize);
