// The ID3 tags of music files. With the option "no ID3 (-128Byte)" each file
// is compared without them: copies of one recording that differ only in
// their tags are then found as duplicates.
#pragma once
#include <cstdint>

#include "engine/file_table.h"

constexpr uint32_t Id3v2HeaderSize = 10;  // "ID3", version, flags, synchsafe size
constexpr uint32_t Id3v1Size = 128;       // "TAG" at size - 128

// The bytes left out at each end of a file.
struct TagSpan {
  uint32_t leading;
  uint32_t trailing;
};

// The tags a file of `size` bytes holds, from its first bytes (`head`, up to
// Id3v2HeaderSize of them) and the three bytes at size - Id3v1Size (`tail`,
// null when the file is shorter). A leading ID3v2 tag is its header, the
// size it states and a footer when flag 0x10 is set; a trailing ID3v1 tag is
// the last 128 bytes behind "TAG". A file whose header is damaged or claims
// more than the file holds, or that is nothing but tags, keeps every byte.
TagSpan FindTags(uint64_t size, const uint8_t* head, uint32_t headBytes, const uint8_t* tail);

// Sets the entry's tag bytes from at most two small reads of its file; a file
// that cannot be opened or read is compared whole.
void MeasureTags(FileEntry& entry);
