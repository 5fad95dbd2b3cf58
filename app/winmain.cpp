// Start-up: memory for the search, the settings, the command line, then the
// property sheet, which holds the program until the user closes it.
#include <windows.h>

#include <commctrl.h>

#include "app/command_line.h"
#include "app/module.h"
#include "app/property_sheet.h"
#include "app/settings_file.h"
#include "engine/file_table.h"
#include "ui/window_hooks.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  moduleInstance = instance;
  // The engine's messages go to message boxes from the start, the memory
  // messages of start-up included.
  InstallWindowHooks();
  if (!ObtainSearchMemory()) return 0;
  DeriveFilePaths(instance);
  LoadSettings();
  ApplyCommandLine(commandLine);
  // The results list is a list view of the common controls; register its class
  // before the first search creates one.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (ShowPropertySheet() != 0) SaveSettings();
  return 0;
}
