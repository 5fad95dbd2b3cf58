// Start-up: memory for the search, the settings, the command line, then the
// property sheet, which holds the program until the user closes it.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "app/command_line.h"
#include "app/module.h"
#include "app/property_sheet.h"
#include "app/settings_file.h"
#include "engine/file_table.h"
#include "platform/wide_text.h"
#include "ui/message_box.h"
#include "ui/window_hooks.h"

// The command line after the program's name, in UTF-8, so that a /dir in any
// script arrives whole; null when memory ran out.
static char* SwitchesInUtf8() {
  const wchar_t* line = GetCommandLineW();
  if (*line == L'"') {
    for (line++; *line && *line != L'"'; line++) {}
    if (*line) line++;
  } else {
    while (*line > L' ') line++;
  }
  while (*line == L' ' || *line == L'\t') line++;
  size_t size = 3 * wcslen(line) + 1;
  char* text = static_cast<char*>(malloc(size));
  if (text && !FromWide(line, text, size)) text[0] = '\0';
  return text;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  moduleInstance = instance;
  // The engine's messages go to message boxes from the start, the memory
  // messages of start-up included.
  InstallWindowHooks();
  if (!ObtainSearchMemory()) return 0;
  DeriveFilePaths(instance);
  LoadSettings();
  char* switches = SwitchesInUtf8();
  if (switches) ApplyCommandLine(switches);
  free(switches);
  // The results list is a list view of the common controls and the page has a
  // progress bar; register their classes before the page is made.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // The settings file stays as it was; the user learns what the next start lacks.
  if (ShowPropertySheet() != 0 && !SaveSettings())
    ShowMessage("Kann die Einstellungen nicht in der Einstellungsdatei speichern", "Fehler!", MB_OK);
  return 0;
}
