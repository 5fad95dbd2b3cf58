// The folder a search run takes from the path box, apart from the box.
#pragma once

// False when the text is too short to name a folder ("c", or nothing).
bool IsSearchablePath(const char* path);

// "c:\" is scanned as "c:": drops one trailing backslash.
void DropTrailingBackslash(char* path);
