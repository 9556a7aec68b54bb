// Identifiers of the test dialogs and menus (WinlibTests.rc).
#pragma once

#define IDD_SIMPLE 200
#define IDD_NO_CANCEL 201
#define IDD_TABS 202
#define IDD_PAGE_ONE 203
#define IDD_PAGE_TWO 204
#define IDD_FORM 205
#define IDD_HUGE 206
#define IDM_FRAME 300

#define IDC_EDIT 1001
#define IDC_LIST 1002
#define IDC_COMBO 1003
#define IDC_OTHER_BUTTON 1004
#define IDC_TABS 1010
#define IDC_PAGE_EDIT 1020
#define IDC_FORM_EDIT 1030
#define IDC_FORM_COMBO 1031
#define IDC_FORM_BUTTON 1032

#define IDM_FRAME_ITEM 40001
