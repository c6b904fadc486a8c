// The setup dialog's procedure: the resolution list, the initial state, the coupling of
// Fullscreen and Always on top, and the result.
#include "ui/SetupDialog.h"

#include "ui/DisplayModes.h"
#include "ui/SetupDialogIds.h"

#include <vector>

namespace ostrel {
namespace {

ScreenSettings* dialogSettings = nullptr;

// The listed modes; list index i of the combo box is entry i.
std::vector<DisplayMode> displayModes;

std::vector<DisplayMode> enumerateDisplayModes() {
  std::vector<DisplayMode> modes;
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  for (DWORD index = 0; EnumDisplaySettingsW(nullptr, index, &mode); ++index) {
    modes.push_back({mode.dmPelsWidth, mode.dmPelsHeight});
  }
  return modes;
}

bool isChecked(HWND dialog, int control) {
  return IsDlgButtonChecked(dialog, control) == BST_CHECKED;
}

void fillResolutionList(HWND dialog) {
  displayModes = listSetupModes(enumerateDisplayModes());
  for (const DisplayMode& mode : displayModes) {
    SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_ADDSTRING, 0,
                        LPARAM(displayModeLabel(mode).c_str()));
  }
}

void showInitialState(HWND dialog, const ScreenSettings& settings) {
  const int selection = initialModeSelection(displayModes, settings.width, settings.height);
  SendDlgItemMessageW(dialog, IDC_RESOLUTION, CB_SETCURSEL, WPARAM(selection), 0);
  if (settings.windowed == 0) {
    CheckDlgButton(dialog, IDC_FULLSCREEN, BST_CHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_ALWAYS_ON_TOP), FALSE);
  }
  CheckDlgButton(dialog, IDC_VSYNC, settings.vsync != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_MULTISAMPLE, settings.multiSample != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_ALWAYS_ON_TOP, BST_UNCHECKED);
}

// A fullscreen swap chain cannot stay on top of other windows: offer it in windowed mode only.
void coupleAlwaysOnTopToFullscreen(HWND dialog) {
  const HWND alwaysOnTop = GetDlgItem(dialog, IDC_ALWAYS_ON_TOP);
  if (isChecked(dialog, IDC_FULLSCREEN)) {
    CheckDlgButton(dialog, IDC_ALWAYS_ON_TOP, BST_UNCHECKED);
    EnableWindow(alwaysOnTop, FALSE);
  } else {
    EnableWindow(alwaysOnTop, TRUE);
  }
}

void storeChoices(HWND dialog, ScreenSettings& settings) {
  const LRESULT selection = SendDlgItemMessageW(dialog, IDC_RESOLUTION, CB_GETCURSEL, 0, 0);
  DisplayMode chosen;
  if (selection >= 0 && size_t(selection) < displayModes.size()) {
    chosen = displayModes[size_t(selection)];
  }
  settings.width = chosen.width;
  settings.height = chosen.height;
  settings.windowed = isChecked(dialog, IDC_FULLSCREEN) ? 0 : 1;
  settings.alwaysOnTop = isChecked(dialog, IDC_ALWAYS_ON_TOP) ? 1 : 0;
  settings.vsync = isChecked(dialog, IDC_VSYNC) ? 1 : 0;
  settings.multiSample = isChecked(dialog, IDC_MULTISAMPLE) ? 1 : 0;
}

}  // namespace

void setSetupDialogSettings(ScreenSettings* settings) {
  dialogSettings = settings;
}

INT_PTR CALLBACK setupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      fillResolutionList(dialog);
      showInitialState(dialog, *dialogSettings);
      return TRUE;  // the system gives the first tab stop the focus
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_FULLSCREEN:
          coupleAlwaysOnTopToFullscreen(dialog);
          break;
        case IDOK:
        case IDCANCEL:
          storeChoices(dialog, *dialogSettings);
          EndDialog(dialog, LOWORD(wParam) == IDOK ? 1 : 0);
          break;
      }
      break;
  }
  return FALSE;
}

INT_PTR runSetupDialog(HINSTANCE module) {
  return DialogBoxParamW(module, MAKEINTRESOURCEW(IDD_SETUP), GetForegroundWindow(),
                         setupDialogProc, 0);
}

}  // namespace ostrel
