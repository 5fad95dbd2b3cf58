#include "ui/run_progress.h"

#include <commctrl.h>
#include <shobjidl.h>

#include "engine/file_table.h"
#include "engine/progress.h"
#include "res/resource.h"
#include "ui/main_page.h"

namespace {

constexpr int ShareRange = 1000;
constexpr UINT MarqueeMilliseconds = 30;

// Named here rather than taken from a GUID library, which not every
// toolchain's carries.
constexpr GUID TaskbarListClass = {0x56fdf344, 0xfd6d, 0x11d0, {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};
constexpr GUID TaskbarList3Interface = {0xea1afb91, 0x9e28, 0x4b86, {0x90, 0xe9, 0x9e, 0x9f, 0x8a, 0x5e, 0xef, 0xaf}};

// The taskbar's progress, where Windows offers it (from Windows 7 on); null
// elsewhere, and the button then shows none.
ITaskbarList3* Taskbar() {
  static ITaskbarList3* taskbar;
  static bool tried;
  if (tried) return taskbar;
  tried = true;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  void* object = nullptr;
  if (FAILED(CoCreateInstance(TaskbarListClass, nullptr, CLSCTX_INPROC_SERVER, TaskbarList3Interface, &object)))
    return nullptr;
  taskbar = static_cast<ITaskbarList3*>(object);
  if (FAILED(taskbar->HrInit())) {
    taskbar->Release();
    taskbar = nullptr;
  }
  return taskbar;
}

// The sheet is the window with the taskbar button.
void SetTaskbarState(HWND page, TBPFLAG state) {
  if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressState(GetParent(page), state);
}

void SetMarquee(HWND bar, bool on) {
  LONG_PTR style = GetWindowLongPtrA(bar, GWL_STYLE);
  if (((style & PBS_MARQUEE) != 0) == on) return;
  SetWindowLongPtrA(bar, GWL_STYLE, on ? style | PBS_MARQUEE : style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
  SendMessageA(bar, PBM_SETMARQUEE, on, MarqueeMilliseconds);
}

void SetShare(HWND page, int permille) {
  HWND bar = GetDlgItem(page, IDC_PROGRESS);
  SetMarquee(bar, false);
  SendMessageA(bar, PBM_SETRANGE32, 0, ShareRange);
  SendMessageA(bar, PBM_SETPOS, permille, 0);
}

}  // namespace

void ShowListingActivity(HWND page) {
  SetDlgItemTextA(page, IDC_TIME_LEFT, "");
  SetMarquee(GetDlgItem(page, IDC_PROGRESS), true);
  SetTaskbarState(page, TBPF_INDETERMINATE);
}

void ShowRunShare(int permille, int secondsLeft) {
  if (!searchState.running || pageWindow == nullptr) return;  // a cancelled run winding down
  SetShare(pageWindow, permille);
  SetDlgItemTextA(pageWindow, IDC_TIME_LEFT, FormatTimeLeft(secondsLeft).text);
  if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressValue(GetParent(pageWindow), permille, ShareRange);
}

void EndRunProgress(HWND page, bool complete) {
  HWND bar = GetDlgItem(page, IDC_PROGRESS);
  bool listing = GetWindowLongPtrA(bar, GWL_STYLE) & PBS_MARQUEE;
  if (complete || listing) SetShare(page, complete ? ShareRange : 0);
  SetDlgItemTextA(page, IDC_TIME_LEFT, "");
  SetTaskbarState(page, TBPF_NOPROGRESS);
}
