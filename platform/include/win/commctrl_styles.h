// The class names and styles of the common controls the wizard pages use (list view, up-down,
// progress bar), alone so that resource scripts can include them.
#pragma once

#define LVS_REPORT 0x0001
#define LVS_SINGLESEL 0x0004
#define LVS_SHOWSELALWAYS 0x0008
#define LVS_NOSORTHEADER 0x8000

#define UDS_SETBUDDYINT 0x0002
#define UDS_ALIGNRIGHT 0x0004
#define UDS_AUTOBUDDY 0x0010
#define UDS_ARROWKEYS 0x0020
#define UDS_NOTHOUSANDS 0x0080

#define PBS_SMOOTH 0x01
#define PBS_MARQUEE 0x08
