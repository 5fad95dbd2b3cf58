#include "ui/control_text.h"

#include <cstring>

#include "engine/text.h"
#include "platform/platform.h"
#include "platform/wide_text.h"

namespace {

// Up to the longest path, which is also the most a box or list holds here.
wchar_t boxWide[MaxPathBytes];
char boxText[MaxPathBytes];

// The UTF-8 of boxWide into `out`; false, `out` untouched, when it does not fit.
bool TakeWideText(char* out, size_t size) {
  return FromWide(boxWide, boxText, sizeof boxText) && strlen(boxText) < size && CopyText(out, size, boxText);
}

}  // namespace

bool ReadControlText(HWND control, char* out, size_t size) {
  int length = GetWindowTextLengthW(control);
  if (length < 0 || length >= MaxPathBytes) return false;
  boxWide[0] = L'\0';
  GetWindowTextW(control, boxWide, MaxPathBytes);
  return TakeWideText(out, size);
}

void ShowControlText(HWND control, const char* text) {
  WideText wide;
  if (ToWide(text, &wide)) SetWindowTextW(control, wide.text);
}

LRESULT SendTextMessage(HWND control, UINT message, WPARAM wParam, const char* text) {
  WideText wide;
  if (!ToWide(text, &wide)) return -1;  // CB_ERR and LB_ERR
  return SendMessageW(control, message, wParam, reinterpret_cast<LPARAM>(wide.text));
}

bool ReadListEntry(HWND list, int index, char* out, size_t size) {
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length < 0 || length >= MaxPathBytes) return false;  // LB_GETTEXT has no size limit
  boxWide[0] = L'\0';
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(boxWide));
  return TakeWideText(out, size);
}
