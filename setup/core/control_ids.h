// The controls of setup's dialogs by the identifiers setup.rc gives them; their OK and Cancel
// buttons carry the system's identifiers IDOK and IDCANCEL (1 and 2).
#pragma once

#define IDC_OK 1
#define IDC_CANCEL 2

// Main window
#define IDC_FOLDER_LABEL 1001
#define IDC_FOLDER 1002
#define IDC_BROWSE 1003
#define IDC_MENU 1004
#define IDC_MENU_FOLDER 1005
#define IDC_SHORTCUT 1006
#define IDC_STARTUP 1007
#define IDC_ASSOCIATE 1008
#define IDC_SENDTO 1009
#define IDC_PACKAGE 1010
#define IDC_COPY 1011
#define IDC_DELETE_AFTER 1012
#define IDC_ICON_PLACE 1013
#define IDC_README 1014

// Readme window
#define IDC_README_TEXT 1101
#define IDC_PAGE1 1102
#define IDC_PAGE2 1103
#define IDC_PAGE3 1104
#define IDC_END_README 1105
