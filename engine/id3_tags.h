// The tags of music files. With the option "no ID3 (-128Byte)" an MPEG audio
// file (known by its content) is compared without them: copies of one recording that differ only in
// their tags are then found as duplicates. Other files are compared whole.
#pragma once
#include <cstdint>

#include "engine/file_table.h"

constexpr uint32_t Id3v2HeaderSize = 10;  // "ID3", version, flags, synchsafe size
constexpr uint32_t Id3v1Size = 128;       // "TAG" at size - 128
constexpr uint32_t ApeFooterSize = 32;    // "APETAGEX", version, size, items, flags

// The bytes left out at each end of a file.
struct TagSpan {
  uint32_t leading;
  uint32_t trailing;
};

// Reads exactly n bytes at offset; false when it cannot.
using TagReader = bool (*)(void* context, uint64_t offset, uint8_t* dest, uint32_t n);

// The tags of a file of `size` bytes. Leading: an ID3v2 tag of major version
// 2 to 4, its header and the size it states, plus the footer of a version 4
// tag whose flag 0x10 is set and whose "3DI" stands where the footer should.
// Trailing: an ID3v1 tag (the last 128 bytes behind "TAG") and an APE tag
// ending at the end or just before the ID3v1 tag. A file with a damaged tag,
// an ID3v2 version above 4, or nothing but tags keeps every byte. A failed
// read also keeps every byte.
TagSpan FindTags(uint64_t size, TagReader read, void* context);

// MPEG audio by its content, whatever its name: an ID3v2 header at the start,
// or an MPEG audio frame header there and a second one of the same version,
// layer and sampling rate where the first one's length says. A copy renamed
// to .bak is then the audio it is, and byte-identical files are always
// compared alike.
bool IsMpegAudio(uint64_t size, TagReader read, void* context);

// Sets the entry's tag bytes from a few small reads of its file; a file that
// is not MPEG audio, or that cannot be opened or read, is compared whole.
void MeasureTags(FileEntry& entry);
