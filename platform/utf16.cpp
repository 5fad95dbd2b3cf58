#include "platform/utf16.h"

namespace {

// Decodes one character at `text`; returns its byte count, 1 for a byte that
// starts no valid sequence (decoded as itself).
int Decode(const unsigned char* text, uint32_t* code) {
  unsigned char lead = text[0];
  int length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
               : lead >= 0xF0 && lead < 0xF5                  ? 4
                                                              : 0;
  *code = lead;
  if (length <= 1) return 1;
  uint32_t value = lead & (0x7F >> length);
  for (int k = 1; k < length; k++) {
    if ((text[k] & 0xC0) != 0x80) return 1;
    value = (value << 6) | (text[k] & 0x3F);
  }
  static const uint32_t Least[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < Least[length] || value > 0x10FFFF) return 1;  // overlong or beyond Unicode
  *code = value;
  return length;
}

}  // namespace

size_t Utf16Length(const char* utf8) {
  const unsigned char* text = reinterpret_cast<const unsigned char*>(utf8);
  size_t units = 0;
  while (*text) {
    uint32_t code;
    text += Decode(text, &code);
    units += code >= 0x10000 ? 2 : 1;
  }
  return units;
}

void ToUtf16(const char* utf8, uint16_t* out) {
  const unsigned char* text = reinterpret_cast<const unsigned char*>(utf8);
  while (*text) {
    uint32_t code;
    text += Decode(text, &code);
    if (code >= 0x10000) {
      code -= 0x10000;
      *out++ = static_cast<uint16_t>(0xD800 | (code >> 10));
      *out++ = static_cast<uint16_t>(0xDC00 | (code & 0x3FF));
    } else {
      *out++ = static_cast<uint16_t>(code);
    }
  }
  *out = 0;
}

bool ToUtf8(const uint16_t* units, size_t count, char* out, size_t size) {
  size_t written = 0;
  for (size_t k = 0; k < count && units[k] != 0; k++) {
    uint32_t code = units[k];
    bool paired = code >= 0xD800 && code < 0xDC00 && k + 1 < count && units[k + 1] >= 0xDC00 &&
                  units[k + 1] < 0xE000;
    if (paired) code = 0x10000 + ((code - 0xD800) << 10) + (units[++k] - 0xDC00);
    int length = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (written + length >= size) {
      if (size > 0) out[0] = '\0';
      return false;
    }
    static const unsigned char Lead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int b = length - 1; b > 0; b--) {
      out[written + b] = static_cast<char>(0x80 | (code & 0x3F));
      code >>= 6;
    }
    out[written] = static_cast<char>(Lead[length] | code);
    written += length;
  }
  out[written] = '\0';
  return true;
}
