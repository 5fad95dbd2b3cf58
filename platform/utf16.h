// UTF-8 and UTF-16, converted by hand so that a Windows name with an unpaired
// surrogate (NTFS allows them) survives the round trip: such a unit travels
// as its three-byte form, as WTF-8 does. Portable, so the tests reach it.
#pragma once
#include <cstddef>
#include <cstdint>

// The UTF-16 units of `utf8`, terminator excluded. A byte that starts no
// valid sequence stands for itself as one unit (U+0080..U+00FF).
size_t Utf16Length(const char* utf8);
// Writes the units and a terminator; `out` holds Utf16Length + 1 units.
void ToUtf16(const char* utf8, uint16_t* out);
// The UTF-8 bytes of `units` (count of them, or up to a 0 when count is
// SIZE_MAX) into `out` of `size` bytes, terminated. False when they do not
// fit; `out` is then "".
bool ToUtf8(const uint16_t* units, size_t count, char* out, size_t size);
