// Tests of the running system's version against what a caller needs, answered from the machine's
// OS profile (palvex/os_profile.h).
#pragma once

#include "winosinfo.h"

#ifndef ERROR_BAD_ARGUMENTS
#define ERROR_BAD_ARGUMENTS 160L
#endif
#ifndef ERROR_OLD_WIN_VERSION
#define ERROR_OLD_WIN_VERSION 1150L
#endif

// The fields of OSVERSIONINFOEXW a test looks at (dwTypeMask).
#define VER_MINORVERSION 0x0000001
#define VER_MAJORVERSION 0x0000002
#define VER_BUILDNUMBER 0x0000004
#define VER_PLATFORMID 0x0000008
#define VER_SERVICEPACKMINOR 0x0000010
#define VER_SERVICEPACKMAJOR 0x0000020
#define VER_SUITENAME 0x0000040
#define VER_PRODUCT_TYPE 0x0000080

// How a field compares: the system's value against the caller's.
#define VER_EQUAL 1
#define VER_GREATER 2
#define VER_GREATER_EQUAL 3
#define VER_LESS 4
#define VER_LESS_EQUAL 5
#define VER_AND 6  // suite: every bit asked for is present
#define VER_OR 7   // suite: one of them is present

// Sets the comparison of each field named in TypeMask: three bits per field, the field's bit
// position times three from the bottom.
WINBASEAPI ULONGLONG VerSetConditionMask(ULONGLONG ConditionMask, DWORD TypeMask, BYTE Condition);

// TRUE when the system passes every test of dwTypeMask. Major version, minor version, service-pack
// major and service-pack minor compare as one version, in that order, with the comparison of the
// first of them asked for (so 5.1 is at least 5.0); build number, platform, product type and suite
// compare on their own. A failed test: FALSE and ERROR_OLD_WIN_VERSION. No structure, no field, or
// a field without a comparison: FALSE and ERROR_BAD_ARGUMENTS.
WINBASEAPI BOOL VerifyVersionInfoW(LPOSVERSIONINFOEXW lpVersionInformation, DWORD dwTypeMask,
                                   ULONGLONG dwlConditionMask);
