/* Control styles that the driver's dialog templates use besides the common window styles of
   win/winresrc.h (included first). Each is defined only when that header does not have it yet. */
#pragma once

#include <win/winresrc.h>

#ifndef WS_EX_CONTEXTHELP
#define WS_EX_CONTEXTHELP 0x00000400L
#endif
#ifndef BS_MULTILINE
#define BS_MULTILINE 0x00002000L
#endif
#ifndef SS_LEFTNOWORDWRAP
#define SS_LEFTNOWORDWRAP 0x0000000CL
#endif
#ifndef SS_OWNERDRAW
#define SS_OWNERDRAW 0x0000000DL
#endif
#ifndef SS_SUNKEN
#define SS_SUNKEN 0x00001000L
#endif
#ifndef CBS_OWNERDRAWFIXED
#define CBS_OWNERDRAWFIXED 0x0010L
#endif
#ifndef CBS_AUTOHSCROLL
#define CBS_AUTOHSCROLL 0x0040L
#endif
#ifndef CBS_SORT
#define CBS_SORT 0x0100L
#endif
#ifndef CBS_HASSTRINGS
#define CBS_HASSTRINGS 0x0200L
#endif
#ifndef LBS_HASSTRINGS
#define LBS_HASSTRINGS 0x0040L
#endif
#ifndef LBS_WANTKEYBOARDINPUT
#define LBS_WANTKEYBOARDINPUT 0x0400L
#endif
#ifndef SBS_HORZ
#define SBS_HORZ 0x0000L
#endif
#ifndef LVS_REPORT
#define LVS_REPORT 0x0001L
#endif
#ifndef LVS_SINGLESEL
#define LVS_SINGLESEL 0x0004L
#endif
#ifndef LVS_SHOWSELALWAYS
#define LVS_SHOWSELALWAYS 0x0008L
#endif
#ifndef LVS_NOSORTHEADER
#define LVS_NOSORTHEADER 0x8000L
#endif
#ifndef UDS_SETBUDDYINT
#define UDS_SETBUDDYINT 0x0002L
#endif
#ifndef UDS_ALIGNRIGHT
#define UDS_ALIGNRIGHT 0x0004L
#endif
#ifndef UDS_AUTOBUDDY
#define UDS_AUTOBUDDY 0x0010L
#endif
#ifndef UDS_ARROWKEYS
#define UDS_ARROWKEYS 0x0020L
#endif
#ifndef UDS_NOTHOUSANDS
#define UDS_NOTHOUSANDS 0x0080L
#endif
