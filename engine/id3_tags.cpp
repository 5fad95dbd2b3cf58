#include "engine/id3_tags.h"

#include <cstring>
#include <initializer_list>

#include "engine/text.h"

namespace {

constexpr uint8_t Id3v2FooterFlag = 0x10;
constexpr uint32_t Id3v2FooterSize = 10;
constexpr uint32_t ApeHeaderPresent = 0x80000000u;
constexpr uint32_t ApeIsHeader = 0x20000000u;

bool StartsWith(const uint8_t* bytes, const char* magic) {
  return memcmp(bytes, magic, strlen(magic)) == 0;
}

uint32_t LittleEndian(const uint8_t* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The ID3v2 tag without its footer, or 0 when the header is damaged or of a
// version this program does not know: each of the four size bytes carries 7
// bits, and the revision byte is never 0xFF.
uint32_t Id3v2BodyEnd(const uint8_t* header) {
  if (header[3] < 2 || header[3] > 4 || header[4] == 0xFF) return 0;
  uint32_t size = 0;
  for (int k = 6; k < 10; k++) {
    if (header[k] & 0x80) return 0;
    size = size << 7 | header[k];
  }
  return Id3v2HeaderSize + size;
}

// The whole leading tag; 0 when there is none, UINT32_MAX when the file must
// be compared whole.
uint32_t LeadingTag(uint64_t size, TagReader read, void* context) {
  uint8_t header[Id3v2HeaderSize];
  if (size < 3) return 0;
  uint32_t n = size < Id3v2HeaderSize ? static_cast<uint32_t>(size) : Id3v2HeaderSize;
  if (!read(context, 0, header, n)) return UINT32_MAX;
  if (!StartsWith(header, "ID3")) return 0;
  if (n < Id3v2HeaderSize) return UINT32_MAX;
  uint32_t end = Id3v2BodyEnd(header);
  if (end == 0 || end > size) return UINT32_MAX;
  // Only version 4 has a footer, and only where "3DI" says so.
  uint8_t footer[3];
  if (header[3] == 4 && (header[5] & Id3v2FooterFlag) && size - end >= Id3v2FooterSize) {
    if (!read(context, end, footer, sizeof footer)) return UINT32_MAX;
    if (StartsWith(footer, "3DI")) end += Id3v2FooterSize;
  }
  return end;
}

// An APE tag whose footer ends at `end`, within the `room` bytes before it;
// 0 when there is none.
uint32_t ApeTag(uint64_t end, uint64_t room, TagReader read, void* context, bool* failed) {
  uint8_t footer[ApeFooterSize];
  if (room < ApeFooterSize) return 0;
  if (!read(context, end - ApeFooterSize, footer, sizeof footer)) {
    *failed = true;
    return 0;
  }
  if (!StartsWith(footer, "APETAGEX") || (LittleEndian(footer + 20) & ApeIsHeader)) return 0;
  uint64_t tag = LittleEndian(footer + 12);  // items and footer
  if (LittleEndian(footer + 20) & ApeHeaderPresent) tag += ApeFooterSize;
  if (tag < ApeFooterSize || tag > room) return 0;
  return static_cast<uint32_t>(tag);
}

}  // namespace

TagSpan FindTags(uint64_t size, TagReader read, void* context) {
  const TagSpan whole = {0, 0};
  TagSpan span = whole;
  uint32_t leading = LeadingTag(size, read, context);
  if (leading == UINT32_MAX) return whole;
  span.leading = leading;
  // A "TAG" inside the ID3v2 tag is part of that tag.
  uint8_t mark[3];
  if (size - span.leading >= Id3v1Size) {
    if (!read(context, size - Id3v1Size, mark, sizeof mark)) return whole;
    if (StartsWith(mark, "TAG")) span.trailing = Id3v1Size;
  }
  bool failed = false;
  span.trailing += ApeTag(size - span.trailing, size - span.leading - span.trailing, read, context, &failed);
  if (failed) return whole;
  // Without anything left, every tag-only file would be a duplicate of all others.
  if (span.leading + span.trailing == size) return whole;
  return span;
}

bool IsMpegAudioName(const char* path) {
  const char* name = FileNameOf(path);
  const char* dot = strrchr(name, '.');
  if (!dot) return false;
  for (const char* ext : {".mp3", ".mp2", ".mp1", ".mpa", ".mpga"})
    if (SameTextIgnoringAsciiCase(dot, ext)) return true;
  return false;
}

namespace {

struct OpenTagFile {
  FileHandle file;
};

bool ReadExactly(void* context, uint64_t offset, uint8_t* dest, uint32_t n) {
  uint32_t count = 0;
  return platform.readAt(static_cast<OpenTagFile*>(context)->file, offset, dest, n, &count) && count == n;
}

}  // namespace

void MeasureTags(FileEntry& entry) {
  entry.leadingTagBytes = 0;
  entry.trailingTagBytes = 0;
  if (!IsMpegAudioName(entry.path)) return;
  OpenTagFile open = {platform.openExclusive(entry.path)};
  if (open.file == InvalidFileHandle) return;
  // A read that fails or falls short: the file changed, and is compared whole.
  TagSpan span = FindTags(entry.size, ReadExactly, &open);
  platform.closeFile(open.file);
  entry.leadingTagBytes = span.leading;
  entry.trailingTagBytes = span.trailing;
}
