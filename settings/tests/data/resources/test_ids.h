/* Ids of the resource provider's test libraries, shared by their scripts and the tests. */
#pragma once

/* Block 7 (ids 96-111): Japanese and English in the library. */
#define IDS_BOTH_LANGUAGES 100
#define IDS_ENGLISH_ONLY 101
#define IDS_OWN_MODULE_FALLBACK 102
#define IDS_SIXTEEN_CHARS 103
#define IDS_LABEL 104
#define IDS_EMPTY 105
/* Block 8 (ids 112-127): only in the plug-in's own module. */
#define IDS_OWN_ONLY 120
/* Block 9 (ids 128-143): German only, the library's own third translation. */
#define IDS_GERMAN_ONLY 130
/* The dialogs' captions. */
#define IDD_PAGE 200
#define IDD_CLASSIC 210
#define IDD_RTL 220
#define IDD_OWN 230
#define IDD_TOO_LARGE 240
#define IDI_PRINTER 300
#define IDB_LOGO 400
#define IDC_HAND 500
#define IDR_TABLE 600
#define IDR_OWN_TABLE 610
#define IDS_HELP_FILE 26000
