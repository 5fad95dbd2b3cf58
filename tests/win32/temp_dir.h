// A fresh folder per test in the Windows temporary folder, removed with all
// its contents at the end, and helpers for files on disk.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct TempDir {
  std::string path;  // without a trailing backslash
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string At(const std::string& relative) const { return path + "\\" + relative; }
  // Creates the file, and the folders on its way, with exactly these bytes.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  std::string MakeFolder(const std::string& relative) const;
};

// Creates or replaces the file with exactly these bytes.
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
// The names of the files (or of the folders) that `pattern` finds.
std::vector<std::string> NamesMatching(const std::string& pattern, bool folders);
// Deletes a folder and everything below it.
void RemoveTree(const std::string& path);
