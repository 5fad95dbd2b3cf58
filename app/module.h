#pragma once
#include <windows.h>

// The program's own module, as the process entry passes it in.
extern HINSTANCE moduleInstance;
