// The Windows tests run in one program set up like Parvik.exe: its own module,
// the common controls, the engine's memory and hooks pointing at the page.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/module.h"
#include "engine/file_table.h"
#include "ui/window_hooks.h"

int main(int argc, char** argv) {
  moduleInstance = GetModuleHandleA(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!ObtainStreamBuffers() || !CreateFileTable()) return 2;
  InstallWindowHooks();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
