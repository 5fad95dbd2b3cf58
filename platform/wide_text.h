// Text where the program meets the wide Windows API. Inside the program every
// path and every text the user typed is UTF-8; these helpers turn it into
// UTF-16 for the system and back, and into the ANSI code page where bytes
// leave the program for readers that expect it (logs, INI, console).
#pragma once
#include <cstddef>

// UTF-16 text in memory of its own, freed with the record.
struct WideText {
  wchar_t* text = nullptr;
  WideText() = default;
  WideText(const WideText&) = delete;
  WideText& operator=(const WideText&) = delete;
  ~WideText();
};

// UTF-8 to UTF-16. False only when memory ran out.
bool ToWide(const char* utf8, WideText* wide);
// A path for the wide file calls: as ToWide, and one too long for the plain
// form turned into its full "\\?\" form, which reaches 32,767 characters.
bool ToWidePath(const char* utf8, WideText* wide);
// UTF-16 to UTF-8 into `out` of `size` bytes. False when it does not fit.
bool FromWide(const wchar_t* wide, char* out, size_t size);

// UTF-8 to the ANSI code page into `out` of `size` bytes. False when some
// character has no exact form there or the text does not fit.
bool ToAnsi(const char* utf8, char* out, size_t size);
bool FitsAnsi(const char* utf8);
// The same from UTF-16.
bool WideToAnsi(const wchar_t* wide, char* out, size_t size);
bool WideFitsAnsi(const wchar_t* wide);
// Text in the ANSI code page (the program's own texts) to UTF-8.
bool AnsiToUtf8(const char* ansi, char* out, size_t size);
