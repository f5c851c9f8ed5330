// The custom-media writers' state and what they share: the user's custom paper sizes ("custom
// media") written into the CMS sections of the driver's GPD or PPD data file.
//
// The list the writers read is the option list of the custom-media name item: one OPTPARAM per
// medium, whose lParam points to the medium's CustomMediaRecord. Media are taken in list order;
// an option marked OPTPF_HIDE, without a record or with an empty name is not written but still
// counts for the numbering of the options after it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <win/compstui.h>
#include <win/windows.h>
#include <win/winspool_forms.h>

#include "datafileimage.h"

// Characters of a medium's name, and ANSI bytes of it that the data file takes.
#define CMS_NAME_CHARS 32
#define CMS_NAME_ANSI_BYTES 31
// Bytes of the writer's option-symbol buffer, the terminating NUL included.
#define CMS_SYMBOL_BYTES 255
#define CMS_DEFAULT_MASTER_UNITS 1200u

// One custom medium: its name, then its spooler form (sizes in micrometres), whose name link
// points to m_name.
struct CustomMediaRecord {
    WCHAR m_name[CMS_NAME_CHARS];
    FORM_INFO_1W m_form;
};
static_assert(sizeof(CustomMediaRecord) == 104 && offsetof(CustomMediaRecord, m_form) == 64);

// The custom-media list: Count options in pOptParam.
typedef OPTTYPE CustomMediaList;

// The writers' state, kept by the custom-media name handler for its life.
struct CmsFileWriter {
    HANDLE m_printer = nullptr;
    DataFileImage m_image;
    DWORD m_masterUnitsX = CMS_DEFAULT_MASTER_UNITS;
    DWORD m_masterUnitsY = CMS_DEFAULT_MASTER_UNITS;
    LONG m_margins[4] = {};  // _PAGEMARGINS of PRNINFO; M2 is the horizontal margin, M0 the vertical
    char m_symbol[CMS_SYMBOL_BYTES] = {};
};

// Reads the printer's data file into the writer (GetPrinterDriverW level 3) and the master units
// and page margins of its PRNINFO block, each only when it can be read (master units otherwise
// 1200 x 1200). FALSE when the data file cannot be read; nothing is written then.
BOOL LoadCmsContext(CmsFileWriter* writer);

// The option symbol of an ANSI name in the writer's buffer: bytes "*" to "?", A to Z and a to z
// stay, every other byte becomes two hex digits, and the whole is upper-cased ("My Paper" gives
// "MY20PAPER"). At most CMS_SYMBOL_BYTES - 1 characters.
LPCSTR MakeOptionSymbol(CmsFileWriter* writer, LPCSTR ansiName);

// One medium the writers write.
struct CmsMedium {
    size_t m_position;     // in the list, from 0
    std::string m_name;    // in the ANSI code page, at most CMS_NAME_ANSI_BYTES bytes
    std::string m_symbol;  // its option symbol
    LONG m_width;          // micrometres
    LONG m_height;
};

// The media of the list that are written, in list order.
std::vector<CmsMedium> WrittenMedia(CmsFileWriter* writer, const CustomMediaList* list);

// The CMS writers, by the data file's kind. Each reads the data file afresh, rewrites its CMS
// section(s) and leaves every other byte; a file without the CMS tags is left untouched. S_OK when
// written, S_FALSE when there was nothing to rewrite, E_FAIL when the file could not be read or
// replaced, E_INVALIDARG without writer or list.
HRESULT WriteGpdCustomMedia(CmsFileWriter* writer, const CustomMediaList* list);
HRESULT WritePpdCustomMedia(CmsFileWriter* writer, const CustomMediaList* list);
