#include "engine/id3_tags.h"

#include <cstring>


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

namespace {

// The length of the MPEG audio frame whose header `h` is, or 0 when `h` is no
// frame header: 11 sync bits, a version, a layer, a bitrate and a sampling
// rate that exist (a "free" bitrate states no length).
uint32_t FrameLength(const uint8_t* h) {
  static const uint16_t kbps[2][3][15] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  static const uint32_t hertz[3] = {44100, 48000, 32000};
  const uint32_t version = h[1] >> 3 & 3, layer = 4 - (h[1] >> 1 & 3), rate = h[2] >> 4,
                 sampling = h[2] >> 2 & 3, padding = h[2] >> 1 & 1;
  if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || version == 1 || layer == 4 || rate == 0 || rate == 15 ||
      sampling == 3)
    return 0;
  const bool mpeg1 = version == 3;
  const uint32_t bits = kbps[mpeg1 ? 0 : 1][layer - 1][rate] * 1000u;
  const uint32_t samples = hertz[sampling] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  if (layer == 1) return (12 * bits / samples + padding) * 4;
  return (layer == 3 && !mpeg1 ? 72 : 144) * bits / samples + padding;
}

}  // namespace

bool IsMpegAudio(uint64_t size, TagReader read, void* context) {
  uint8_t first[4], second[4];
  if (size < sizeof first || !read(context, 0, first, sizeof first)) return false;
  if (StartsWith(first, "ID3")) return true;
  uint32_t length = FrameLength(first);
  if (length == 0 || size < length + uint64_t{sizeof second} || !read(context, length, second, sizeof second))
    return false;
  // The same stream goes on: version, layer and sampling rate as in the first.
  return FrameLength(second) != 0 && second[1] == first[1] && (second[2] & 0x0C) == (first[2] & 0x0C);
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
  OpenTagFile open = {platform.openExclusive(entry.path)};
  if (open.file == InvalidFileHandle) return;
  // A read that fails or falls short: the file changed, and is compared whole.
  TagSpan span = {0, 0};
  if (IsMpegAudio(entry.size, ReadExactly, &open)) span = FindTags(entry.size, ReadExactly, &open);
  platform.closeFile(open.file);
  entry.leadingTagBytes = span.leading;
  entry.trailingTagBytes = span.trailing;
}
