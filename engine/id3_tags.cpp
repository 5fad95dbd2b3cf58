#include "engine/id3_tags.h"

#include <cstring>

namespace {

constexpr uint8_t Id3v2FooterFlag = 0x10;
constexpr uint32_t Id3v2FooterSize = 10;

bool StartsWith(const uint8_t* bytes, const char* magic) {
  return memcmp(bytes, magic, strlen(magic)) == 0;
}

// The whole ID3v2 tag, or 0 when the header is damaged: the version bytes are
// never 0xFF, and each of the four size bytes carries 7 bits.
uint32_t Id3v2Length(const uint8_t* header) {
  if (header[3] == 0xFF || header[4] == 0xFF) return 0;
  uint32_t size = 0;
  for (int k = 6; k < 10; k++) {
    if (header[k] & 0x80) return 0;
    size = size << 7 | header[k];
  }
  uint32_t footer = (header[5] & Id3v2FooterFlag) ? Id3v2FooterSize : 0;
  return Id3v2HeaderSize + size + footer;
}

}  // namespace

TagSpan FindTags(uint64_t size, const uint8_t* head, uint32_t headBytes, const uint8_t* tail) {
  const TagSpan whole = {0, 0};
  TagSpan span = whole;
  if (headBytes >= 3 && StartsWith(head, "ID3")) {
    if (headBytes < Id3v2HeaderSize) return whole;
    span.leading = Id3v2Length(head);
    if (span.leading == 0 || span.leading > size) return whole;
  }
  // A "TAG" inside the ID3v2 tag is part of that tag.
  if (tail && StartsWith(tail, "TAG") && size - span.leading >= Id3v1Size)
    span.trailing = Id3v1Size;
  // Without anything left, every tag-only file would be a duplicate of all others.
  if (span.leading + span.trailing == size) return whole;
  return span;
}

void MeasureTags(FileEntry& entry) {
  entry.leadingTagBytes = 0;
  entry.trailingTagBytes = 0;
  FileHandle file = platform.openExclusive(entry.path);
  if (file == InvalidFileHandle) return;
  uint8_t head[Id3v2HeaderSize] = {};
  uint8_t tail[3] = {};
  uint32_t headBytes = 0;
  uint32_t tailBytes = 0;
  bool ok = platform.readAt(file, 0, head, sizeof head, &headBytes);
  bool hasTail = entry.size >= Id3v1Size;
  if (ok && hasTail) ok = platform.readAt(file, entry.size - Id3v1Size, tail, sizeof tail, &tailBytes);
  platform.closeFile(file);
  // A read that fails or falls short: the file changed, and is compared whole.
  if (!ok || headBytes != (entry.size < sizeof head ? entry.size : sizeof head) ||
      (hasTail && tailBytes != sizeof tail))
    return;
  TagSpan span = FindTags(entry.size, head, headBytes, hasTail ? tail : nullptr);
  entry.leadingTagBytes = span.leading;
  entry.trailingTagBytes = span.trailing;
}
