// Driver module names: each file of the driver is found among the driver's dependent files by the
// role suffix that follows the model prefix ("TOVQEBRES.DLL", "TOVQEBUI.DLL", "TOVQEB.INI"...).
//
// A dependent-file list is the driver record's NUL-separated list ended by a second NUL. Entries
// are compared upper-cased, by substring, in list order; the first match wins.
#pragma once

#include <win/wintypes.h>

// Role suffixes of the driver's files.
#define DRVMOD_RESOURCE u"RES.DLL"
#define DRVMOD_UI u"UI.DLL"
#define DRVMOD_UIP u"UIP.DLL"
#define DRVMOD_MDN u"MDN.EXE"
#define DRVMOD_DOT_MDN u".MDN.EXE"
#define DRVMOD_MDN_DLL u"MDN.DLL"
#define DRVMOD_PCL u"PCL.DLL"
#define DRVMOD_RPC u"RPC.DLL"
#define DRVMOD_PS u".PS.DLL"
#define DRVMOD_RPS u"RPS.DLL"
#define DRVMOD_IMAGE u".IMAGE.DLL"
#define DRVMOD_JBIG u".JBIG.DLL"
#define DRVMOD_RRP u"RRP.DLL"
#define DRVMOD_RRS u"RRS.DLL"
#define DRVMOD_INI u".INI"
#define DRVMOD_XPD u".XPD"
// The universal driver's own resource library also ends in "RES.DLL"; its name holds "UNI".
#define DRVMOD_UNIVERSAL u"UNI"
#define DRVMOD_UNIVERSAL_RESOURCE u"UNIRES.DLL"

// Upper-cases every entry of a dependent-file list in place (null is an empty list).
void UpperCaseDependentFiles(LPWSTR files);

// The first entry that contains pattern and, when excluded is given, does not contain excluded;
// null when none does. The list must already be upper-cased; patterns are upper case.
LPWSTR FindDependentFile(LPWSTR files, LPCWSTR pattern, LPCWSTR excluded = nullptr);
// The first entry that contains either pattern.
LPWSTR FindDependentFileEither(LPWSTR files, LPCWSTR pattern, LPCWSTR otherPattern);

// The driver's files by role, from an upper-cased list:
// - the model's resource library: the first entry with "RES.DLL" and without "UNI", else the
//   first with "UI.DLL";
// - the driver ini: the first with ".INI";
// - the manual-duplex helper: the first with "MDN.EXE";
// - the UI module: the first with "UIP.DLL" or "UI.DLL".
LPWSTR FindResourceLibraryFile(LPWSTR files);
LPWSTR FindIniFile(LPWSTR files);
LPWSTR FindMdnFile(LPWSTR files);
LPWSTR FindUIFile(LPWSTR files);
