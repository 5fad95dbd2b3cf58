#include "platform/identity_index.h"

#include <cstdlib>

namespace {

constexpr int32_t Vacant = NoSlot;
constexpr int32_t Removed = -2;

uint32_t FirstBucket(const IdentityIndex& index, uint64_t hash) {
  return static_cast<uint32_t>(hash) & (index.count - 1);
}

uint32_t NextBucket(const IdentityIndex& index, uint32_t bucket) { return (bucket + 1) & (index.count - 1); }

}  // namespace

bool HasRoomForOneMore(const IdentityIndex& index) { return (index.taken + 1) * 2 <= index.count; }

bool RebuildIdentityIndex(IdentityIndex* index, uint32_t capacity) {
  uint32_t count = 64;
  while (count < 2 * capacity) count *= 2;
  int32_t* fresh = static_cast<int32_t*>(malloc(sizeof(int32_t) * count));
  if (!fresh) return false;
  free(index->buckets);
  index->buckets = fresh;
  index->count = count;
  index->taken = 0;
  for (uint32_t b = 0; b < count; b++) fresh[b] = Vacant;
  return true;
}

void EnterSlot(IdentityIndex* index, uint64_t hash, int32_t slot) {
  for (uint32_t b = FirstBucket(*index, hash);; b = NextBucket(*index, b)) {
    if (index->buckets[b] < 0) {
      if (index->buckets[b] == Vacant) index->taken++;
      index->buckets[b] = slot;
      return;
    }
  }
}

void RemoveSlot(IdentityIndex* index, uint64_t hash, int32_t slot) {
  for (uint32_t b = FirstBucket(*index, hash);; b = NextBucket(*index, b)) {
    if (index->buckets[b] == slot) {
      index->buckets[b] = Removed;
      return;
    }
  }
}

int32_t FindSlot(const IdentityIndex& index, uint64_t hash, bool (*same)(int32_t slot, const void* wanted),
                 const void* wanted) {
  if (index.count == 0) return NoSlot;
  for (uint32_t b = FirstBucket(index, hash);; b = NextBucket(index, b)) {
    int32_t slot = index.buckets[b];
    if (slot == Vacant) return NoSlot;
    if (slot >= 0 && same(slot, wanted)) return slot;
  }
}
