#include "ui/shell_files.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/platform.h"
#include "platform/wide_text.h"
#include "ui/message_box.h"

namespace {

ShellStarter replacement;

bool StartWithShell(const char* file, const char* parameters) {
  // The shell's handlers may be COM objects; the thread is an apartment once.
  static bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  (void)comReady;
  WideText wideFile, wideParameters;
  if (!ToWide(file, &wideFile) || (parameters && !ToWide(parameters, &wideParameters))) return false;
  HINSTANCE result = ShellExecuteW(nullptr, nullptr, wideFile.text, wideParameters.text, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Start(const char* file, const char* parameters) {
  return (replacement ? replacement : StartWithShell)(file, parameters);
}

}  // namespace

void RedirectShellStarts(ShellStarter starter) { replacement = starter; }

void OpenWithItsProgram(const char* path) {
  if (!Start(path, nullptr)) ShowMessage("Kann Datei nicht öffnen", "Fehler!", MB_OK);
}

void ShowSelectedInExplorer(const char* path) {
  static char parameters[MaxPathBytes + 16];
  snprintf(parameters, sizeof parameters, "/select,\"%s\"", path);
  if (!Start("explorer.exe", parameters)) ShowMessage("Kann Explorer nicht starten", "Fehler!", MB_OK);
}
