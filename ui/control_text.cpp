#include "ui/control_text.h"

#include "engine/text.h"
#include "platform/platform.h"
#include "platform/wide_text.h"

void ReadControlText(HWND control, char* out, size_t size) {
  wchar_t text[MaxPath] = L"";
  GetWindowTextW(control, text, MaxPath);
  FromWide(text, out, size);
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
  if (length < 0 || length >= MaxPath) return false;  // LB_GETTEXT has no size limit
  wchar_t text[MaxPath] = L"";
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
  static char entry[MaxPathBytes];
  return FromWide(text, entry, sizeof entry) && CopyText(out, size, entry);
}
