#include "ui/pump.h"

#include <windows.h>

// No dialog routing and no WM_QUIT handling: the search only needs every
// window to stay live, and the sheet's own loop takes over when it returns.
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    // A paint message is taken again through GetMessageA, which hands out
    // the next message due (the same paint while the window stays invalid).
    if (message.message == WM_PAINT) GetMessageA(&message, nullptr, 0, 0);
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
