// Resource ids of the installer's own module.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_PARDEX_DIALOG 102
#define IDD_LICENCE 130
#define IDD_SETUPMENU 131
#define IDD_PRINTERPORT 132
#define IDD_PRINTERNAME 133
#define IDD_CONFIRM 134
#define IDD_COMPLETE 135
#define IDD_CONNECTSELECT 137
#define IDD_DRVFILECOPY 141

#define IDC_BUTTON_PREV 1008
#define IDC_BUTTON_NEXT 1009
#define IDC_STATIC_MESSAGE 1016
#define IDC_BUTTON_END 1034

// The progress dialogs of the install, update and removal runs.
#define IDD_PROGRESS 139
#define IDC_PROGRESS_BAR 1043
