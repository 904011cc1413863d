#pragma once
// Resource identifiers shared by the resource script and the code.

#define IDI_CUMULO 128
#define IDD_INSTALLER 102
#define IDD_SETUP_ERROR 186

#define IDB_CLOSE_1X 136
#define IDB_CLOSE_2X 137
#define IDB_BACKGROUND_1X 187
#define IDB_BACKGROUND_2X 188
#define IDB_LOGO_RU_1X 189
#define IDB_LOGO_RU_2X 190
#define IDB_LOGO_EN_1X 191
#define IDB_LOGO_EN_2X 192

#define IDC_TITLE 1001
#define IDC_SUBTITLE 1002
#define IDC_INSTALL 1003
#define IDC_CLOSE 1004
#define IDC_PROGRESS 1005
#define IDC_PERCENT 1006
#define IDC_AGREEMENT 1007
#define IDC_TERMS_LINK 1008
#define IDC_ERROR_TEXT 1010
