/* Resource ids of the setup dialog, shared by its template and its dialog procedure. */
#pragma once

#define IDD_SETUP 101
#define IDC_RESOLUTION 1001
#define IDC_FULLSCREEN 1003
#define IDC_ALWAYS_ON_TOP 1004
#define IDC_VSYNC 1005
#define IDC_MULTISAMPLE 1006
