#include "temp_dir.h"

#include <cstdio>

TempDir::TempDir() {
  static unsigned serial;
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  char name[MAX_PATH];
  snprintf(name, sizeof name, "%sparvik-%lu-%u", base, GetCurrentProcessId(), ++serial);
  path = name;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  RemoveTree(path);
  CreateDirectoryA(path.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path); }

std::string TempDir::MakeFolder(const std::string& relative) const {
  std::string full = At(relative);
  for (size_t slash = path.size() + 1; (slash = full.find('\\', slash)) != std::string::npos; ++slash)
    CreateDirectoryA(full.substr(0, slash).c_str(), nullptr);
  CreateDirectoryA(full.c_str(), nullptr);
  return full;
}

std::string TempDir::Write(const std::string& relative, const std::string& bytes) const {
  size_t slash = relative.rfind('\\');
  if (slash != std::string::npos) MakeFolder(relative.substr(0, slash));
  std::string full = At(relative);
  FILE* file = fopen(full.c_str(), "wb");
  if (file) {
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
  }
  return full;
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return bytes;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  fclose(file);
  return bytes;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE listing = FindFirstFileA((path + "\\*").c_str(), &found);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        DeleteFileA(full.c_str());
    } while (FindNextFileA(listing, &found));
    FindClose(listing);
  }
  RemoveDirectoryA(path.c_str());
}
