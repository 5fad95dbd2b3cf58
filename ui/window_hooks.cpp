#include "ui/window_hooks.h"

#include <windows.h>

#include "engine/hooks.h"
#include "ui/main_page.h"
#include "ui/message_box.h"
#include "ui/pump.h"
#include "ui/run_progress.h"

namespace {

void SetPageFieldText(int field, const char* text) { SetDlgItemTextA(pageWindow, field, text); }

void SetPageFieldNumber(int field, uint32_t value) {
  SetDlgItemInt(pageWindow, field, value, FALSE);
}

}  // namespace

void InstallWindowHooks() {
  engineHooks = {SetPageFieldText, SetPageFieldNumber, PumpMessages, ShowMessage, ShowRunShare};
}
