#include "platform/wide_text.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

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
