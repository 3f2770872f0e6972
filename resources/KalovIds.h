/* Resource and control ids of kalov. Shared by the .rc script and the C++ code. */
#pragma once

/* Button bitmaps */
#define IDB_DOOR             665
#define IDB_PRINTER          666
#define IDB_OPEN             667
#define IDB_SAVE_TEXT        668

/* Dialog "VIEWER" */
#define IDC_QUIT            1000
#define IDC_LISTING         1001
#define IDC_FILE_NAME       1002
#define IDC_PRINT           1003
#define IDC_LOAD            1004
#define IDC_UML             1005
#define IDC_OEM             1006
#define IDC_SAVE_TEXT       1007
