// Identifiers of the main window's template, its controls and the icon.
// Shared by loader.rc and the code, so every identifier is named exactly once.
#pragma once

#define IDD_MAIN_WINDOW            101
#define IDI_APP_ICON               103
#define IDA_MAIN_KEYS              104

#define IDC_PATH_FIELD             1006
#define IDC_SCAN_BUTTON            1007
#define IDC_SELECT_FILE_BUTTON     1008
#define IDC_STATUS_LINE            1009
#define IDC_LOG_VIEW               1010
#define IDC_UPLOAD_BUTTON          1015
#define IDC_BAUD_19200             1036
#define IDC_BAUD_57600             1037
#define IDC_BAUD_38400             1043
#define IDC_DEBUG_SCREEN_CHECK     1049
#define IDC_BAUD_115200            1050
#define IDC_LOGGING_BUTTON         1054
#define IDC_CLEAR_LOG_BUTTON       1055
#define IDC_GATEWAY_DEBUG_BUTTON   1056
#define IDC_PORT_LIST              1058
#define IDC_BOARD_LIST             1059
#define IDC_SEND_COMMAND_BUTTON    1060
#define IDC_LOGGING_ON_LABEL       1061
#define IDC_LOGGING_OFF_LABEL      1062
#define IDC_GATEWAY_DEBUG_ON_LABEL  1063
#define IDC_GATEWAY_DEBUG_OFF_LABEL 1064
#define IDC_COMMAND_FIELD          1065

// Commands the program adds to the window's system menu. System commands keep their low four
// bits free (the system uses them) and stay below the system's own (0xF000 and up).
#define IDM_SAVE_LOG_AS            0x0010
#define IDM_LOG_TO_FILE            0x0020
#define IDM_FIND                   0x0030
#define IDM_SHOW_TIMES             0x0040
#define IDM_DAILY_LOG_FILES        0x0050
// F3 (find again) has a key but no menu item.
#define IDM_FIND_NEXT              0x0060
#define IDM_SAVE_BOARD_FIRMWARE    0x0070
#define IDM_VERIFY_BOARD           0x0080

// The restore handler gives the focus to this identifier, which no control has,
// so that restoring the window leaves no control focused.
#define IDC_NO_CONTROL             1000
