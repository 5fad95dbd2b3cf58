#include "fake_platform.h"

#include <map>

#include "platform/platform.h"

namespace fake {
namespace {

struct Fault {
  uint64_t fromOffset;
  ReadFault how;
};

struct State {
  std::map<std::string, FileLog> logs;
  std::map<FileHandle, std::string> openPaths;
  std::map<std::string, bool> refused;
  std::map<std::string, Fault> faults;
  std::function<int64_t()> clock;
  int opens = 0;
  int closes = 0;
  size_t reads = 0;
};
State state;

FileHandle CountedOpen(const char* path) {
  FileLog& log = state.logs[path];
  FileHandle file = state.refused.count(path) ? InvalidFileHandle : systemPlatform.openExclusive(path);
  if (file == InvalidFileHandle) {
    log.refusedOpens++;
    return file;
  }
  log.opens++;
  state.opens++;
  state.openPaths[file] = path;
  return file;
}

bool CountedRead(FileHandle file, uint64_t offset, void* dest, uint32_t n, uint32_t* count) {
  const std::string& path = state.openPaths[file];
  state.reads++;
  auto fault = state.faults.find(path);
  bool ok;
  if (fault != state.faults.end() && offset + n > fault->second.fromOffset && n > 0) {
    uint64_t before = fault->second.fromOffset > offset ? fault->second.fromOffset - offset : 0;
    ok = fault->second.how != ReadFault::Error;
    *count = 0;
    if (fault->second.how == ReadFault::Short && before > 0)
      ok = systemPlatform.readAt(file, offset, dest, static_cast<uint32_t>(before), count);
  } else {
    ok = systemPlatform.readAt(file, offset, dest, n, count);
  }
  state.logs[path].reads.push_back(ReadRecord{offset, n, *count});
  return ok;
}

void CountedClose(FileHandle file) {
  auto open = state.openPaths.find(file);
  if (open != state.openPaths.end()) {
    state.logs[open->second].closes++;
    state.openPaths.erase(open);
  }
  state.closes++;
  systemPlatform.closeFile(file);
}

int64_t FakeClock() { return state.clock ? state.clock() : systemPlatform.clockSeconds(); }

}  // namespace

uint64_t FileLog::BytesDelivered() const {
  uint64_t total = 0;
  for (const ReadRecord& read : reads) total += read.delivered;
  return total;
}

void Install() {
  state = State{};
  platform = systemPlatform;
  platform.openExclusive = CountedOpen;
  platform.readAt = CountedRead;
  platform.closeFile = CountedClose;
  platform.clockSeconds = FakeClock;
}

void Restore() {
  platform = systemPlatform;
  state = State{};
}

const FileLog& Log(const std::string& path) { return state.logs[path]; }
int OpenHandles() { return static_cast<int>(state.openPaths.size()); }
int TotalOpens() { return state.opens; }
int TotalCloses() { return state.closes; }
size_t TotalReads() { return state.reads; }

void RefuseOpen(const std::string& path) { state.refused[path] = true; }

void BreakReads(const std::string& path, uint64_t fromOffset, ReadFault fault) {
  state.faults[path] = Fault{fromOffset, fault};
}

void UseClock(std::function<int64_t()> clock) { state.clock = std::move(clock); }

}  // namespace fake
