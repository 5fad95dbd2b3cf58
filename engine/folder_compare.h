// How the program tells whether a path lies in a folder: the protected
// folders and the excluded ones compare alike.
#pragma once

// '/' everywhere, and on Windows also '\\'.
bool IsPathSeparator(char c);

// The part of `path` after `folder` when `path` lies in it or below it, else
// null. Names match as the file system matches them (SameFileName); on
// Windows '/' and '\\' are one separator, and a run of separators counts as one.
const char* PathBelowFolder(const char* path, const char* folder);

// True when both paths name the same folder by the same rules; a trailing
// separator makes no difference.
bool SameFolderPath(const char* path, const char* other);

// True when `path` names `folder` itself or lies in it or below it.
bool PathInOrBelowFolder(const char* path, const char* folder);
