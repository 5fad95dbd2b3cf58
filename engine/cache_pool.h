// Cache blocks given back during the grouping pass, kept for the next caches
// instead of going back to the system. Large blocks come straight from the
// system's virtual memory (glibc's mmap, Windows' VirtualAlloc), so a fresh
// block costs a page fault on every page it is read into; a kept block costs
// nothing. The pooled blocks together with the room that lent blocks hold
// beyond what their caches asked for stay within CachePoolBudget.
#pragma once
#include <cstdint>

// Smaller blocks come and go through the heap cheaply and are not kept.
constexpr uint32_t PooledBlockMinimum = 1024 * 1024;
// Room for the three or four full caches that a few large files of one size
// hold at once. Kept blocks go back first when memory runs short, so a 32-bit
// process loses no room to them.
constexpr uint64_t CachePoolBudget = 384ull * 1024 * 1024;

// Keeps a block that leaves its cache for reuse, or frees it when it is small
// or does not fit the budget (a kept block may make way for a larger one).
void PoolCacheBlock(uint8_t* block, uint32_t capacity);

// A kept block for a cache that asks for `wanted` bytes and may hold at most
// `most`: the largest kept block in between, or else the smallest larger one
// cut down to `most`, or else the largest smaller one, for the caller to grow
// (growing keeps the pages it has). Null when none is kept. The room beyond
// `wanted` counts against the budget until the block comes back or is filled.
uint8_t* TakePooledBlock(uint32_t wanted, uint32_t most, uint32_t* capacity);

// The cache holding `block` now needs its first `end` bytes: a lent block's
// room beyond that stops counting against the budget.
void NoteCacheFill(const uint8_t* block, uint64_t end);

// Frees every kept block; the grouping pass calls it when it ends, and a
// failing allocation calls it before trying again.
void DrainCachePool();

// Bytes in kept blocks, and their number.
uint64_t PooledBytes();
int PooledBlockCount();
