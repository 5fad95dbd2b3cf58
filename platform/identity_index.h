// Slot numbers of held files, found by the hash of their identity, so that
// "is this file held already?" is answered at once even when a run holds tens
// of thousands of files. Open addressing over a power-of-two table that stays
// at most half full (markers of removed slots included), so every search ends
// at a vacant bucket.
#pragma once
#include <cstdint>

struct IdentityIndex {
  int32_t* buckets;
  uint32_t count;  // a power of two; 0 before the first rebuild
  uint32_t taken;  // by slots and by markers of removed ones
};

constexpr int32_t NoSlot = -1;

// True when one more slot can be entered without a rebuild.
bool HasRoomForOneMore(const IdentityIndex& index);

// Empties the index, with room for `capacity` slots; the caller enters its
// slots again. False, with the index as it was, when memory ran out.
bool RebuildIdentityIndex(IdentityIndex* index, uint32_t capacity);

void EnterSlot(IdentityIndex* index, uint64_t hash, int32_t slot);
void RemoveSlot(IdentityIndex* index, uint64_t hash, int32_t slot);

// The slot under `hash` whose file `same` says is the one asked for; NoSlot
// when there is none.
int32_t FindSlot(const IdentityIndex& index, uint64_t hash, bool (*same)(int32_t slot, const void* wanted),
                 const void* wanted);
