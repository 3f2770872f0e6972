/* Resource and command ids of Spulwerk. Shared by the .rc script and the C++ code. */
#pragma once

/* Icon and bitmaps */
#define IDI_PROGRAM          100
#define IDB_SPLASH           110
#define IDB_AUTHOR           111
#define IDB_DOOR             665
#define IDB_PRINTER          666

/* Menus */
#define IDM_START            210
#define IDM_SCREEN           220

/* Child windows of the main window */
#define IDC_STATUSBAR        200
#define IDC_SPLASH          9999

/* Start-mode menu */
#define CMD_PREFERENCES     1001
#define CMD_HEXDUMP         1002
#define CMD_CRC16           1003
#define CMD_QUIT            1010
#define CMD_CONVERTER       1110
#define CMD_DESIGNER        1100
#define CMD_SCREEN          1200
#define CMD_INFO            2001
#define CMD_ABOUT           2999

/* Screen-mode menu */
#define CMD_RESET           1300
#define CMD_REGISTERS       1305
#define CMD_RANDOM          1310
#define CMD_PICTURE1        1320
#define CMD_GREETING        1330
#define CMD_INVERT          1350
#define CMD_MONITOR         1351
#define CMD_FREEHAND        1380
#define CMD_BACK            1399
#define CMD_CLS             1410
#define CMD_PHOTO           1497
#define CMD_LOAD_SCREEN     1498
#define CMD_SAVE_SCREEN     1499
#define CMD_SCREEN_HELP     9999

/* Preferences dialog "PrefsDialog" */
#define IDC_BACK            3000
#define IDC_TRIGGER         3014
#define IDC_PREFS_HELP      3020
#define IDC_FORMAT_STANDARD 3030
#define IDC_FORMAT_TURBO    3031
#define IDC_SCHEME_WHITE    3032
#define IDC_SCHEME_GREEN    3033
#define IDC_INVERSE         3034

/* Info dialog "Infodialog" */
#define IDC_INFO_OK         3010
#define IDC_INFO_LIST       3015

/* About dialog "Autor" */
#define IDC_ABOUT_OK        3000
#define IDC_VERSION         3080
#define IDC_MAIL_LINK       3081
#define IDC_DOWNLOAD_LINK   3082

/* Hex dump dialog "Hexdump" */
#define IDC_HEX_CLOSE       3000
#define IDC_HEX_LIST        3013
#define IDC_HEX_TOGGLE      3030
#define IDC_HEX_PRINT       3050

/* Designer dialog "ZGDialogK" / "ZGDialogG" and its menu */
#define IDM_DESIGNER         200
#define CMD_ZG_TEMPLATE1    1500
#define CMD_ZG_TEMPLATE2    1501
#define CMD_ZG_TEMPLATE3    1502
#define CMD_ZG_TEMPLATE4    1503
#define CMD_ZG_TEMPLATE5    1504
#define CMD_ZG_PREFERENCES  1505
#define CMD_ZG_LOAD         1510
#define CMD_ZG_SAVE_AS      1520
#define CMD_ZG_PHOTO        2500
#define CMD_ZG_HELP         9999
#define IDC_ZG_BACK         3000
#define IDC_ZG_HEX          3005
#define IDC_ZG_EDITOR_HELP  3015
#define IDC_ZG_APPLY        3020
#define IDC_ZG_UNDO         3021
#define IDC_ZG_HINT         3025
#define IDC_ZG_LEFT         3030
#define IDC_ZG_RIGHT        3031
#define IDC_ZG_UP           3032
#define IDC_ZG_DOWN         3033
#define IDC_ZG_INVERT       3034
#define IDC_ZG_ALL          3035

/* Exchange dialog "Sounddialog", its menu and the test tone */
#define IDM_SOUND             230
#define IDW_TEST_TONE         101
#define CMD_SND_PREFERENCES  1505
#define CMD_SND_HEXDUMP      1002
#define CMD_SND_HELP         8888
#define IDC_SND_BACK         3000
#define IDC_SND_ABORT        3001
#define IDC_SND_START        3002
#define IDC_SND_MIXER        3004
#define IDC_SND_IN_DEVICE    3008
#define IDC_SND_OUT_DEVICE   3009
#define IDC_SND_LEVEL_METER  3011
#define IDC_SND_LEVEL_TEXT   3012
#define IDC_SND_VOLUME       3014
#define IDC_SND_STOP         3016
#define IDC_SND_PROGRESS     3020
#define IDC_SND_WAV_TO_BIN   3025
#define IDC_SND_RECORD       3026
#define IDC_SND_BIN_TO_WAV   3027
#define IDC_SND_OUTPUT       3028
#define IDC_SND_TEST_TONE    3030
#define IDC_SND_NAME         3040
#define IDC_SND_AA           3041
#define IDC_SND_EA           3042
#define IDC_SND_SA           3043
