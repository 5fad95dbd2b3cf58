#include "platform/wide_text.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/utf16.h"

namespace {

// The plain form reaches MAX_PATH - 1 characters; a folder to create only 247.
constexpr size_t PlainPathLimit = 247;

wchar_t* NewWide(size_t units) { return static_cast<wchar_t*>(malloc((units + 1) * sizeof(wchar_t))); }

// "\\?\" before a full path; "\\?\UNC\" in place of the "\\" of a share.
bool LongForm(const wchar_t* path, WideText* wide) {
  DWORD full = GetFullPathNameW(path, 0, nullptr, nullptr);
  wchar_t* result = full ? NewWide(full + 8) : nullptr;
  if (!result) return false;
  wcscpy(result, L"\\\\?\\");
  wchar_t* body = result + 4;
  if (GetFullPathNameW(path, full, body, nullptr) == 0) {
    free(result);
    return false;
  }
  if (body[0] == L'\\' && body[1] == L'\\') {
    if (body[2] == L'?' || body[2] == L'.') {  // already a device or long form
      memmove(result, body, (wcslen(body) + 1) * sizeof(wchar_t));
    } else {
      memmove(body + 4, body + 2, (wcslen(body + 2) + 1) * sizeof(wchar_t));
      memcpy(body, L"UNC\\", 4 * sizeof(wchar_t));
    }
  }
  free(wide->text);
  wide->text = result;
  return true;
}

}  // namespace

WideText::~WideText() { free(text); }

bool ToWide(const char* utf8, WideText* wide) {
  size_t units = Utf16Length(utf8);
  free(wide->text);
  wide->text = NewWide(units);
  if (!wide->text) return false;
  static_assert(sizeof(wchar_t) == sizeof(uint16_t), "UTF-16 wide characters");
  ToUtf16(utf8, reinterpret_cast<uint16_t*>(wide->text));
  return true;
}

bool ToWidePath(const char* utf8, WideText* wide) {
  if (!ToWide(utf8, wide)) return false;
  if (wcslen(wide->text) <= PlainPathLimit || wcsncmp(wide->text, L"\\\\?\\", 4) == 0) return true;
  return LongForm(wide->text, wide);
}

bool FromWide(const wchar_t* wide, char* out, size_t size) {
  return ToUtf8(reinterpret_cast<const uint16_t*>(wide), SIZE_MAX, out, size);
}

bool ToAnsi(const char* utf8, char* out, size_t size) {
  WideText wide;
  return size > 0 && ToWide(utf8, &wide) && WideToAnsi(wide.text, out, size);
}

bool WideToAnsi(const wchar_t* wide, char* out, size_t size) {
  // With UTF-8 as the ANSI code page every character has its form, and the
  // system takes no flags for the check.
  bool utf8Page = GetACP() == CP_UTF8;
  BOOL defaulted = FALSE;
  int length = WideCharToMultiByte(CP_ACP, utf8Page ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, out,
                                   static_cast<int>(size), nullptr, utf8Page ? nullptr : &defaulted);
  if (length == 0 || defaulted) {
    out[0] = '\0';
    return false;
  }
  return true;
}

bool WideFitsAnsi(const wchar_t* wide) {
  size_t size = wcslen(wide) * 4 + 1;  // UTF-8 as the ANSI page: up to three per unit
  char* ansi = static_cast<char*>(malloc(size));
  bool fits = ansi && WideToAnsi(wide, ansi, size);
  free(ansi);
  return fits;
}

bool FitsAnsi(const char* utf8) {
  WideText wide;
  return ToWide(utf8, &wide) && WideFitsAnsi(wide.text);
}

bool AnsiToUtf8(const char* ansi, char* out, size_t size) {
  int units = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  wchar_t* wide = units > 0 ? NewWide(static_cast<size_t>(units)) : nullptr;
  bool ok = wide && MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, units) > 0 &&
            FromWide(wide, out, size);
  free(wide);
  return ok;
}

namespace {

// A name of at most `size` - 1 bytes as UTF-16 into `units`; its unit count, or -1.
int NameToUtf16(const char* name, size_t bytes, char (&text)[MaxNameText], uint16_t (&units)[MaxNameText]) {
  if (bytes >= MaxNameText) return -1;
  memcpy(text, name, bytes);
  text[bytes] = '\0';
  ToUtf16(text, units);
  return static_cast<int>(Utf16Length(text));
}

using CompareOrdinal = int(WINAPI*)(const wchar_t*, int, const wchar_t*, int, BOOL);

// Windows XP lacks the ordinal comparison; there the invariant upper case stands in.
bool SameUpperCase(const wchar_t* a, int aUnits, const wchar_t* b, int bUnits) {
  static wchar_t upperA[MaxNameText], upperB[MaxNameText];
  int x = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, a, aUnits, upperA, MaxNameText);
  int y = LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, b, bUnits, upperB, MaxNameText);
  return x == y && (x == 0 ? aUnits == 0 && bUnits == 0 : memcmp(upperA, upperB, x * sizeof(wchar_t)) == 0);
}

}  // namespace

bool SameFileName(const char* a, size_t aBytes, const char* b, size_t bBytes) {
  if (aBytes == bBytes && memcmp(a, b, aBytes) == 0) return true;
  static char text[MaxNameText];
  static uint16_t wideA[MaxNameText], wideB[MaxNameText];
  int aUnits = NameToUtf16(a, aBytes, text, wideA);
  int bUnits = aUnits < 0 ? -1 : NameToUtf16(b, bBytes, text, wideB);
  if (bUnits < 0) return false;  // longer than any name: only the same bytes are the same
  static CompareOrdinal compare = reinterpret_cast<CompareOrdinal>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CompareStringOrdinal")));
  const wchar_t* x = reinterpret_cast<const wchar_t*>(wideA);
  const wchar_t* y = reinterpret_cast<const wchar_t*>(wideB);
  if (compare) return compare(x, aUnits, y, bUnits, TRUE) == CSTR_EQUAL;
  return SameUpperCase(x, aUnits, y, bUnits);
}
