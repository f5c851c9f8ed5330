/* Ids of the test resource libraries, shared by the resource scripts and the tests. */
#pragma once

/* String-table block 1 (ids 0-15): neutral, Japanese (1041) and English (1033). */
#define IDS_GREETING 1
/* Block 2 (ids 16-31): Japanese and English, no neutral block. */
#define IDS_BLOCK_TWO 16
#define IDS_EMPTY 17
#define IDS_LAST_OF_BLOCK_TWO 31
/* Block 3 (ids 32-47): English only. */
#define IDS_ENGLISH_ONLY 32
/* Block 4 (ids 48-63): German (1031) only. */
#define IDS_GERMAN_ONLY 48

#define IDR_BYTES 100
#define IDD_SAMPLE 200
