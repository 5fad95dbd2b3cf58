#pragma once

// Writes every row of the results window, top row first, each cut to 259
// bytes and followed by a lone CR, to `path` (replacing its content).
void WriteResultLog(const char* path);
