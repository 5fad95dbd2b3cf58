// Small text helpers shared by the engine and the program.
#pragma once
#include <cstddef>

#include "platform/platform.h"

// Copies at most size - 1 bytes and always terminates. Returns false when the
// source did not fit (the copy is then cut).
bool CopyText(char* dest, size_t size, const char* source);

// The letters a-z and A-Z folded; every other byte, umlauts included, as it is.
constexpr char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of a path or name as the system counts it against its limits:
// UTF-16 units of the UTF-8 text on Windows, bytes elsewhere.
size_t PathCharacters(const char* text);
// Whether the byte continues a character that began before it.
constexpr bool ContinuesCharacter(char c) {
  return PathSeparator == '\\' && (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where the last component of a path begins: after its last separator ('/',
// and on Windows also '\\' and the drive's ':').
const char* FileNameOf(const char* path);

// Whole-string equality in which only the letters a-z match regardless of
// case; every other byte, umlauts included, matches only itself.
bool SameTextIgnoringAsciiCase(const char* a, const char* b);

// The order of that comparison: below 0, 0 or above 0, as strcmp.
int CompareTextIgnoringAsciiCase(const char* a, const char* b);
