// A fresh folder per test in the system's temporary folder, removed with
// everything in it when the test ends, and small helpers for files on disk.
// Relative paths use the system's separator.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using Texts = std::vector<std::string>;

struct TempFolder {
  std::string path;  // without a trailing separator
  // In `parent`, or in the system's temporary folder; `path` stays empty when
  // the folder cannot be made.
  explicit TempFolder(const char* parent = nullptr);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string At(const std::string& relative) const;
  // Creates the file, and the folders on its way, with exactly these bytes.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  std::string MakeFolder(const std::string& relative) const;
  // A sparse file of `size` bytes, zero but for `bytes` at `offset`; "" on failure.
  std::string WriteSparse(const std::string& relative, uint64_t size, uint64_t offset,
                          const std::string& bytes) const;
};

#ifdef _WIN32
std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
// Creates or replaces the file with exactly these bytes.
bool WriteBytes(const std::string& path, const std::string& bytes);
// The names of the files (or of the folders) that `pattern` finds.
Texts NamesMatching(const std::string& pattern, bool folders);
// Deletes a folder and everything below it.
void RemoveTree(const std::string& path);
#endif
