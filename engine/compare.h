// The content comparison: the files of one size (and, comparing by name as
// well, of one name) are read side by side, block by block, and sorted into
// classes of files whose bytes agree so far. Files that differ leave each other
// at the first block where they part; a class that reaches the end of the
// files is a group. Each block read is compared with the blocks kept in the
// turn's memory as it is read, so every byte is read once whatever the number
// of copies; only a class that holds more different blocks at one offset than
// the memory has slots reads the blocks of those left without one again.
#pragma once
#include <cstddef>
#include <cstdint>

// Block sizes and the memory for the blocks of one turn. Tests make them small
// to reach every way through the comparison with small files.
struct CompareLimits {
  uint32_t firstBlock;  // the first turn: most files of one size differ early
  uint32_t block;       // every later turn, per file
  uint32_t budget;      // bytes for the blocks of one class in one turn
};
extern CompareLimits compareLimits;
extern const CompareLimits defaultCompareLimits;

// Where the memory of the comparison and of the listing of its groups comes
// from (malloc semantics); tests replace it to make it fail.
extern void* (*obtainCompareStorage)(size_t bytes);

// The hash that finds the kept block a block may equal (XXH3); tests weaken
// it to make unequal blocks hash alike.
extern uint64_t (*hashBlock)(const uint8_t* block, uint32_t n);

enum class CompareEnd { Decided, Cancelled, NoMemory };

// Compares the entries members[0..count), ascending table indices, none open,
// all of one compared length. Opens them in that order (a file that cannot be
// opened, or that is held already by another path, takes no part), reads and
// compares them, and closes them. Each set of two or more files found
// identical is marked: groupId = the smallest index among them + 1, `done` on
// the others. A file that fails to read or changes while it is compared is
// settled and leaves its class; the others go on among themselves. Cancelled
// when the running flag was cleared (a class not yet at its end is then no
// group); NoMemory when storage could not be had (the message is shown).
// `members` is reordered.
CompareEnd CompareFiles(uint32_t* members, uint32_t count);
