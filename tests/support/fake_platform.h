// A test double around the real platform table: the real system does the
// work, the double counts opens, closes and reads per file, refuses opens and
// breaks reads where a test asks it to, and can stand in for the clock.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fake {

struct ReadRecord {
  uint64_t offset;
  uint32_t requested;
  uint32_t delivered;
};

struct FileLog {
  int opens = 0;        // successful opens
  int refusedOpens = 0;  // opens that failed, injected or real
  int closes = 0;
  std::vector<ReadRecord> reads;
  uint64_t BytesDelivered() const;
};

enum class ReadFault {
  Error,      // the read reports failure after delivering nothing
  ZeroBytes,  // the read reports success with 0 bytes
  Short,      // the read reports success with the bytes before the break only
};

// Puts the double into `platform`, with empty logs and no injected faults.
void Install();
// Puts the real system back: `platform` = `systemPlatform`.
void Restore();

// The log of one path as the engine named it.
const FileLog& Log(const std::string& path);
int OpenHandles();  // opened and not yet closed, over all files
int TotalOpens();
int TotalCloses();
size_t TotalReads();

// Every open of `path` fails.
void RefuseOpen(const std::string& path);
// Every read of `path` that reaches `fromOffset` or beyond fails as `fault`.
void BreakReads(const std::string& path, uint64_t fromOffset, ReadFault fault);
// clockSeconds() returns what `clock` returns.
void UseClock(std::function<int64_t()> clock);

}  // namespace fake
