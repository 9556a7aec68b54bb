// Identifiers shared by the viewer's code and its resource script.
#pragma once

#define IDD_TRACEBOX 102
#define IDR_MAINFRAME 128
#define IDR_STATUS_MENU 131
#define IDC_TRACE_TEXT 1009
// "Display" items T1..T10 are 32771..32780 for slots 0..9.
#define ID_DISPLAY_FIRST 32771
#define ID_DISPLAY_LAST 32780
#define ID_STATUS_HIDE 32781
