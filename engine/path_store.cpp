#include "engine/path_store.h"

#include <cstdlib>
#include <cstring>

namespace {

// Blocks of this size hold a few thousand paths each; a long path gets a
// block of its own, so that no block is left with much room unused.
constexpr size_t BlockBytes = 256 * 1024;

struct Block {
  Block* previous;
  size_t used;
  size_t capacity;
  char text[1];
};

Block* newestBlock;
size_t storedBytes;

Block* NewBlock(size_t capacity, Block* previous) {
  Block* block = static_cast<Block*>(malloc(offsetof(Block, text) + capacity));
  if (!block) return nullptr;
  *block = Block{previous, 0, capacity, {0}};
  storedBytes += offsetof(Block, text) + capacity;
  return block;
}

char* Reserve(size_t bytes) {
  if (bytes > BlockBytes / 4) {
    // A block of its own, linked in behind the one being filled, which goes on.
    Block* own = NewBlock(bytes, newestBlock ? newestBlock->previous : nullptr);
    if (!own) return nullptr;
    own->used = bytes;
    if (newestBlock) newestBlock->previous = own;
    else newestBlock = own;
    return own->text;
  }
  if (!newestBlock || newestBlock->capacity - newestBlock->used < bytes) {
    Block* block = NewBlock(BlockBytes, newestBlock);
    if (!block) return nullptr;
    newestBlock = block;
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
