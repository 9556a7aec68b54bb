// Identifiers of Oriscope's dialogs, menu, commands and controls.
// Shared by Oriscope.rc and the program's code: the numbers are the interface
// between the two and must not change. Plain #defines so the resource
// compiler can read this file too.
#ifndef ORISCOPE_RESOURCES_RESOURCE_H
#define ORISCOPE_RESOURCES_RESOURCE_H

// The program icon is a named resource.
#define ORISCOPE_MAIN_ICON_NAME "MAINICON"

// Labels and frames nobody addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// ---- Dialog templates ------------------------------------------------------
#define IDD_ABOUT 100
#define IDD_PREFERENCES_BUS_PAGE 101
#define IDD_CAMERA_CONTROL 102
#define IDD_PREFERENCES_CAMERA_PAGE 103
#define IDD_DIRECT_CONTROL 104
#define IDD_MAIN_WINDOW 105
#define IDD_MESSAGE 106
#define IDD_PREFERENCES 107
#define IDD_CONTROL_PICTURE_PAGE 108
#define IDD_CONTROL_COMMON_PAGE 109
#define IDD_CONTROL_LENSE_PAGE 110
#define IDD_VIEW_SIZE 112
#define IDD_CONTROL_COLOR_PAGE 113
#define IDD_AUTOMATIC_MODE 115

// ---- Menus -----------------------------------------------------------------
#define IDR_CAMERA_MENU 113

// Camera frame menu: "&Disk"
#define IDM_SAVE_BITMAP 40011
// "&View"
#define IDM_TOGGLE_ACQUISITION 40012
#define IDM_VIEW_160X120 40001
#define IDM_VIEW_320X240 40002
#define IDM_VIEW_640X480 40003
#define IDM_VIEW_800X600 40017
#define IDM_VIEW_1024X768 40015
#define IDM_VIEW_1280X960 40000
#define IDM_USER_SIZE 40013
#define IDM_SCROLL_MODE 40016
// "&Others"
#define IDM_EDIT_SETTINGS 40008
#define IDM_LIVE_CONTROL 40004
#define IDM_DIRECT_CONTROL 40007
#define IDM_AUTOMATIC_MODE 40014

// Main window's "&Utilities" popup, built at run time.
#define IDM_INSTALL_DRIVER 40009
#define IDM_DEINSTALL_DRIVER 40006

// ---- Main window form (105) ------------------------------------------------
#define IDC_ABOUT 1000
#define IDC_LOG_CLEAR 1004
#define IDC_CLOSE_ALL 1005
#define IDC_CONNECT 1006
#define IDC_LOG_INFO 1010
#define IDC_STOP_ALL 1015
#define IDC_UTILITIES 1016
#define IDC_CARD_LIST 1019
#define IDC_MEMORY_MB 1042
#define IDC_ISO_PAYLOAD 1043
#define IDC_NODE_LIST 1057
#define IDC_LOG_LIST 10659

// ---- Small dialogs (100, 106, 112) -----------------------------------------
#define IDC_ABOUT_TEXT 1047
#define IDC_MESSAGE_TEXT 1025
#define IDC_VIEW_WIDTH 1049
#define IDC_VIEW_HEIGHT 1050

// ---- Tab dialogs (102, 107) ------------------------------------------------
#define IDC_PAGE_TABS 1070

// ---- Preferences page "Camera" (103) ---------------------------------------
#define IDC_COLOUR_MODE 1020
#define IDC_FRAME_RATE 1022
#define IDC_TX_SPEED 1027
#define IDC_TRIGGER_MODE 1028
#define IDC_VIDEO_FORMAT 1029
#define IDC_VIDEO_MODE 1030
#define IDC_PACKET_PAYLOAD 1044
#define IDC_PAYLOAD_INFO 1045
#define IDC_X_OFFSET 1052
#define IDC_X_SIZE 1053
#define IDC_Y_OFFSET 1054
#define IDC_Y_SIZE 1055
#define IDC_X_OFFSET_UNIT 1132
#define IDC_Y_OFFSET_UNIT 1133
#define IDC_X_SIZE_UNIT 1134
#define IDC_Y_SIZE_UNIT 1135
#define IDC_FORMAT7_QUERY 1137

// ---- Preferences page "1394-Bus" (101) -------------------------------------
#define IDC_ISO_CHANNEL 1024
#define IDC_FIRST_PACKET_ENABLE 1033
#define IDC_FIRST_PACKET_VALUE 1034
#define IDC_FRAME_BUFFERS 1036
#define IDC_DMA_CHANNEL_ENABLE 1040
#define IDC_DMA_CHANNEL_VALUE 1041
#define IDC_INVERT_Y16 1130
#define IDC_RAW_Y16 1131
#define IDC_BAYER_RG_GB 1138
#define IDC_BAYER_BG_GR 1139
#define IDC_BAYER_GR_BG 1140
#define IDC_BAYER_GB_RG 1141

// ---- Camera control pages (109, 108, 113, 110) -----------------------------
// One row per feature: label (name and value), "Fixed", "Auto", "1x", slider.
// Page "Common" (109)
#define IDC_AUTO_EXPOSURE_LABEL 1111
#define IDC_AUTO_EXPOSURE_FIXED 1072
#define IDC_AUTO_EXPOSURE_AUTO 1073
#define IDC_AUTO_EXPOSURE_ONE_PUSH 1074
#define IDC_AUTO_EXPOSURE_SLIDER 1075
#define IDC_GAIN_LABEL 1023
#define IDC_GAIN_FIXED 1008
#define IDC_GAIN_AUTO 1007
#define IDC_GAIN_ONE_PUSH 1009
#define IDC_GAIN_SLIDER 1062
#define IDC_SHUTTER_LABEL 1026
#define IDC_SHUTTER_FIXED 1013
#define IDC_SHUTTER_AUTO 1012
#define IDC_SHUTTER_ONE_PUSH 1014
#define IDC_SHUTTER_SLIDER 1066
// Page "Picture" (108)
#define IDC_BRIGHTNESS_LABEL 1018
#define IDC_BRIGHTNESS_FIXED 1002
#define IDC_BRIGHTNESS_AUTO 1001
#define IDC_BRIGHTNESS_ONE_PUSH 1003
#define IDC_BRIGHTNESS_SLIDER 1060
#define IDC_SHARPNESS_LABEL 1112
#define IDC_SHARPNESS_FIXED 1077
#define IDC_SHARPNESS_AUTO 1078
#define IDC_SHARPNESS_ONE_PUSH 1079
#define IDC_SHARPNESS_SLIDER 1080
#define IDC_GAMMA_LABEL 1116
#define IDC_GAMMA_FIXED 1095
#define IDC_GAMMA_AUTO 1096
#define IDC_GAMMA_ONE_PUSH 1097
#define IDC_GAMMA_SLIDER 1098
// Page "Color" (113)
#define IDC_HUE_LABEL 1114
#define IDC_HUE_FIXED 1087
#define IDC_HUE_AUTO 1088
#define IDC_HUE_ONE_PUSH 1089
#define IDC_HUE_SLIDER 1063
#define IDC_SATURATION_LABEL 1115
#define IDC_SATURATION_FIXED 1091
#define IDC_SATURATION_AUTO 1092
#define IDC_SATURATION_ONE_PUSH 1093
#define IDC_SATURATION_SLIDER 1065
#define IDC_WHITE_BALANCE_LABEL 1113
#define IDC_WHITE_BALANCE_FIXED 1082
#define IDC_WHITE_BALANCE_AUTO 1083
#define IDC_WHITE_BALANCE_ONE_PUSH 1084
#define IDC_WHITE_BALANCE_U_SLIDER 1085
#define IDC_WHITE_BALANCE_V_SLIDER 1086
// Page "Lense" (110)
#define IDC_IRIS_LABEL 1117
#define IDC_IRIS_FIXED 1100
#define IDC_IRIS_AUTO 1101
#define IDC_IRIS_ONE_PUSH 1102
#define IDC_IRIS_SLIDER 1064
#define IDC_FOCUS_LABEL 1118
#define IDC_FOCUS_FIXED 1104
#define IDC_FOCUS_AUTO 1105
#define IDC_FOCUS_ONE_PUSH 1106
#define IDC_FOCUS_SLIDER 1061
#define IDC_ZOOM_LABEL 1119
#define IDC_ZOOM_FIXED 1108
#define IDC_ZOOM_AUTO 1109
#define IDC_ZOOM_ONE_PUSH 1110
#define IDC_ZOOM_SLIDER 1069

// ---- Direct register control (104) -----------------------------------------
#define IDC_REGISTER_READ 1011
#define IDC_REGISTER_WRITE 1017
#define IDC_REGISTER_ADDRESS 1031
#define IDC_REGISTER_DATA 1032
#define IDC_REGISTER_HISTORY 1058

// ---- Automatic capture mode (115) ------------------------------------------
#define IDC_AUTO_STOP 1015
#define IDC_AUTO_INTERVAL 1120
#define IDC_AUTO_INTERVAL_SPIN 1121
#define IDC_AUTO_FRAME_COUNT 1122
#define IDC_AUTO_FRAME_COUNT_SPIN 1123
#define IDC_AUTO_LAST_FILE 1124
#define IDC_AUTO_DIRECTORY 1125
#define IDC_AUTO_TIMED 1126
#define IDC_AUTO_TELNET 1127
#define IDC_AUTO_START 1128
#define IDC_AUTO_CHOOSE_DIRECTORY 1129

#endif  // ORISCOPE_RESOURCES_RESOURCE_H
