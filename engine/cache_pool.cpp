#include "engine/cache_pool.h"

#include <cstdlib>

#include "engine/entry_io.h"

namespace {

constexpr int PoolSlots = 8;
constexpr int LoanSlots = 16;

struct PooledBlock {
  uint8_t* block;  // null: slot free
  uint32_t capacity;
};

// A kept block handed to a cache that asked for less: `excess` is the room
// its cache has not yet asked for.
struct Loan {
  const uint8_t* block;  // null: slot free
  uint32_t capacity;
  uint32_t excess;
};

PooledBlock pool[PoolSlots];
Loan loans[LoanSlots];
uint64_t pooledBytes = 0;
uint64_t lentExcess = 0;

int SmallestPooled() {
  int smallest = -1;
  for (int k = 0; k < PoolSlots; k++) {
    if (pool[k].block && (smallest < 0 || pool[k].capacity < pool[smallest].capacity))
      smallest = k;
  }
  return smallest;
}

int FreePoolSlot() {
  for (int k = 0; k < PoolSlots; k++)
    if (!pool[k].block) return k;
  return -1;
}

int FreeLoanSlot() {
  for (int k = 0; k < LoanSlots; k++)
    if (!loans[k].block) return k;
  return -1;
}

uint8_t* RemoveFromPool(int k) {
  uint8_t* block = pool[k].block;
  pooledBytes -= pool[k].capacity;
  pool[k] = PooledBlock{nullptr, 0};
  return block;
}

}  // namespace

void PoolCacheBlock(uint8_t* block, uint32_t capacity) {
  if (!block) return;
  NoteCacheFill(block, capacity);
  if (capacity < PooledBlockMinimum) {
    free(block);
    return;
  }
  while (FreePoolSlot() < 0 || pooledBytes + lentExcess + capacity > CachePoolBudget) {
    int smallest = SmallestPooled();
    if (smallest < 0 || pool[smallest].capacity >= capacity) {
      free(block);
      return;
    }
    free(RemoveFromPool(smallest));
  }
  pool[FreePoolSlot()] = PooledBlock{block, capacity};
  pooledBytes += capacity;
}

uint8_t* TakePooledBlock(uint32_t wanted, uint32_t most, uint32_t* capacity) {
  int fitting = -1;
  int larger = -1;
  int smaller = -1;
  for (int k = 0; k < PoolSlots; k++) {
    uint32_t held = pool[k].capacity;
    if (!pool[k].block) continue;
    if (held < wanted) {
      if (smaller < 0 || held > pool[smaller].capacity) smaller = k;
    } else if (held <= most) {
      if (fitting < 0 || held > pool[fitting].capacity) fitting = k;
    } else if (larger < 0 || held < pool[larger].capacity) {
      larger = k;
    }
  }
  int chosen = fitting >= 0 ? fitting : larger >= 0 ? larger : smaller;
  if (chosen < 0) return nullptr;
  uint32_t held = pool[chosen].capacity < most ? pool[chosen].capacity : most;
  int loan = held > wanted ? FreeLoanSlot() : -1;
  if (held > wanted && loan < 0) return nullptr;
  uint8_t* block = RemoveFromPool(chosen);
  if (chosen == larger) {
    // Cutting a block down keeps its leading pages where they are.
    uint8_t* cut = static_cast<uint8_t*>(resizeCacheStorage(block, most));
    if (!cut) {
      free(block);
      return nullptr;
    }
    block = cut;
  }
  if (loan >= 0) {
    loans[loan] = Loan{block, held, held - wanted};
    lentExcess += held - wanted;
  }
  *capacity = held;
  return block;
}

void NoteCacheFill(const uint8_t* block, uint64_t end) {
  if (lentExcess == 0) return;
  for (Loan& loan : loans) {
    if (loan.block != block) continue;
    uint64_t room = end < loan.capacity ? loan.capacity - end : 0;
    if (room < loan.excess) {
      lentExcess -= loan.excess - room;
      loan.excess = static_cast<uint32_t>(room);
    }
    if (loan.excess == 0) loan = Loan{nullptr, 0, 0};
    return;
  }
}

void DrainCachePool() {
  for (int k = 0; k < PoolSlots; k++)
    if (pool[k].block) free(RemoveFromPool(k));
}

uint64_t PooledBytes() { return pooledBytes; }

int PooledBlockCount() {
  int count = 0;
  for (const PooledBlock& slot : pool)
    if (slot.block) count++;
  return count;
}
