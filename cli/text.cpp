#include "cli/text.h"

#include <cstdint>
#include <cstring>

namespace {

// 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr uint16_t HighControls[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

void AppendCodePoint(std::string* out, uint32_t code) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

}  // namespace

void AppendCp1252AsUtf8(std::string* out, const char* text) {
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
    if (*c >= 0x80 && *c < 0xA0)
      AppendCodePoint(out, HighControls[*c - 0x80]);
    else
      AppendCodePoint(out, *c);
  }
}

size_t EscapeControlBytes(const char* text, char* out, size_t outSize) {
  static const char Hex[] = "0123456789ABCDEF";
  size_t taken = 0;
  size_t written = 0;
  while (text[taken] != '\0') {
    unsigned char c = static_cast<unsigned char>(text[taken]);
    // A character goes whole: each piece is converted on its own.
    size_t length = 1;
    if (c >= 0xC0)
      while (length < 4 && (static_cast<unsigned char>(text[taken + length]) & 0xC0) == 0x80) ++length;
    bool escaped = c < 0x20 || c == 0x7F || c == '%';
    size_t needed = escaped ? 3 : length;
    if (written + needed >= outSize) break;
    if (escaped) {
      out[written++] = '%';
      out[written++] = Hex[c >> 4];
      out[written++] = Hex[c & 0xF];
    } else {
      memcpy(out + written, text + taken, length);
      written += length;
    }
    taken += escaped ? 1 : length;
  }
  if (outSize > 0) out[written] = '\0';
  return taken;
}
