// Small text helpers shared by the engine and the program.
#pragma once
#include <cstddef>

// Copies at most size - 1 bytes and always terminates. Returns false when the
// source did not fit (the copy is then cut).
bool CopyText(char* dest, size_t size, const char* source);

// Whole-string equality in which only the letters a-z match regardless of
// case; every other byte, umlauts included, matches only itself.
bool SameTextIgnoringAsciiCase(const char* a, const char* b);
