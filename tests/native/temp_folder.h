// A fresh folder per test under the system's temporary folder, removed with
// everything in it when the test ends, and small helpers to fill it.
#pragma once
#include <cstdint>
#include <string>

struct TempFolder {
  std::string path;
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Path of `relative` inside the folder ('/'-separated).
  std::string At(const std::string& relative) const;
  // Creates the file (and its folders) with exactly these bytes.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  // Creates a sparse file of `size` bytes with `bytes` written at `offset`.
  std::string WriteSparse(const std::string& relative, uint64_t size, uint64_t offset,
                          const std::string& bytes) const;
  std::string MakeFolder(const std::string& relative) const;
};
