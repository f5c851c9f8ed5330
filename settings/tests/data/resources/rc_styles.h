/* Window and dialog style values for the test resource scripts. */
#pragma once

#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_BORDER 0x00800000L
#define WS_TABSTOP 0x00010000L
#define DS_SETFONT 0x40L
