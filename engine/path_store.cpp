#include "engine/path_store.h"

#include <cstdlib>
#include <cstring>

namespace {

// Blocks of this size hold a few thousand paths each; a longer path than
// fits gets a block of its own.
constexpr size_t BlockBytes = 256 * 1024;

struct Block {
  Block* previous;
  size_t used;
  size_t capacity;
  char text[1];
};

Block* newestBlock;
size_t storedBytes;

char* Reserve(size_t bytes) {
  if (!newestBlock || newestBlock->capacity - newestBlock->used < bytes) {
    size_t capacity = bytes > BlockBytes ? bytes : BlockBytes;
    Block* block = static_cast<Block*>(malloc(offsetof(Block, text) + capacity));
    if (!block) return nullptr;
    *block = Block{newestBlock, 0, capacity, {0}};
    newestBlock = block;
    storedBytes += offsetof(Block, text) + capacity;
  }
  char* place = newestBlock->text + newestBlock->used;
  newestBlock->used += bytes;
  return place;
}

}  // namespace

const char* StorePath(const char* path) {
  size_t bytes = strlen(path) + 1;
  char* copy = Reserve(bytes);
  if (copy) memcpy(copy, path, bytes);
  return copy;
}

void ClearPathStore() {
  while (newestBlock) {
    Block* previous = newestBlock->previous;
    free(newestBlock);
    newestBlock = previous;
  }
  storedBytes = 0;
}

size_t PathStoreBytes() { return storedBytes; }
