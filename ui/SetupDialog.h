// The setup dialog shown before the window opens: resolution (the display's 16:9 modes),
// fullscreen, always on top (windowed only), vertical sync and multisampling.
#pragma once

#include "config/ScreenSettings.h"

#include <windows.h>

namespace ostrel {

// The process-wide record the dialog starts from and writes its result into, for "Run" and
// "Cancel" alike. Set before the dialog opens.
void setSetupDialogSettings(ScreenSettings* settings);

// Dialog procedure of template IDD_SETUP: TRUE for WM_INITDIALOG, FALSE otherwise.
INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally from the template in module, owned by the foreground window.
// Returns 1 for "Run", 0 for "Cancel" (also Escape and the close box), -1 when the dialog
// could not be created.
INT_PTR runSetupDialog(HINSTANCE module);

}  // namespace ostrel
