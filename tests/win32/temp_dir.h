// A fresh folder per test in the Windows temporary folder, removed with all
// its contents at the end, and helpers to put files into it.
#pragma once
#include <windows.h>

#include <string>

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

std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
// Deletes a folder and everything below it.
void RemoveTree(const std::string& path);
