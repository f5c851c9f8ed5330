// The built-in prelude: the macro constants that descriptions use for platform and kit values,
// and the declarations of the kit's own structures, put at the head of every compile's entries as
// if read from a source that comes first.
#include <span>
#include <string>

#include "xpcimpl.h"

namespace xpc {
namespace {

struct Constant {
    const char16_t* m_name;
    unsigned long long m_value;
};

// The platform's paper-size ids, 1 to 118 in id order (ids 48 and 49 are reserved).
constexpr const char16_t* kPaperNames[] = {
    u"LETTER", u"LETTERSMALL", u"TABLOID", u"LEDGER", u"LEGAL", u"STATEMENT", u"EXECUTIVE", u"A3", u"A4", u"A4SMALL",
    u"A5", u"B4", u"B5", u"FOLIO", u"QUARTO", u"10X14", u"11X17", u"NOTE", u"ENV_9", u"ENV_10",
    u"ENV_11", u"ENV_12", u"ENV_14", u"CSHEET", u"DSHEET", u"ESHEET", u"ENV_DL", u"ENV_C5", u"ENV_C3", u"ENV_C4",
    u"ENV_C6", u"ENV_C65", u"ENV_B4", u"ENV_B5", u"ENV_B6", u"ENV_ITALY", u"ENV_MONARCH", u"ENV_PERSONAL",
    u"FANFOLD_US", u"FANFOLD_STD_GERMAN", u"FANFOLD_LGL_GERMAN", u"ISO_B4", u"JAPANESE_POSTCARD", u"9X11", u"10X11",
    u"15X11", u"ENV_INVITE", u"RESERVED_48", u"RESERVED_49", u"LETTER_EXTRA", u"LEGAL_EXTRA", u"TABLOID_EXTRA",
    u"A4_EXTRA", u"LETTER_TRANSVERSE", u"A4_TRANSVERSE", u"LETTER_EXTRA_TRANSVERSE", u"A_PLUS", u"B_PLUS",
    u"LETTER_PLUS", u"A4_PLUS", u"A5_TRANSVERSE", u"B5_TRANSVERSE", u"A3_EXTRA", u"A5_EXTRA", u"B5_EXTRA", u"A2",
    u"A3_TRANSVERSE", u"A3_EXTRA_TRANSVERSE", u"DBL_JAPANESE_POSTCARD", u"A6", u"JENV_KAKU2", u"JENV_KAKU3",
    u"JENV_CHOU3", u"JENV_CHOU4", u"LETTER_ROTATED", u"A3_ROTATED", u"A4_ROTATED", u"A5_ROTATED",
    u"B4_JIS_ROTATED", u"B5_JIS_ROTATED", u"JAPANESE_POSTCARD_ROTATED", u"DBL_JAPANESE_POSTCARD_ROTATED",
    u"A6_ROTATED", u"JENV_KAKU2_ROTATED", u"JENV_KAKU3_ROTATED", u"JENV_CHOU3_ROTATED", u"JENV_CHOU4_ROTATED",
    u"B6_JIS", u"B6_JIS_ROTATED", u"12X11", u"JENV_YOU4", u"JENV_YOU4_ROTATED", u"P16K", u"P32K", u"P32KBIG",
    u"PENV_1", u"PENV_2", u"PENV_3", u"PENV_4", u"PENV_5", u"PENV_6", u"PENV_7", u"PENV_8", u"PENV_9", u"PENV_10",
    u"P16K_ROTATED", u"P32K_ROTATED", u"P32KBIG_ROTATED", u"PENV_1_ROTATED", u"PENV_2_ROTATED", u"PENV_3_ROTATED",
    u"PENV_4_ROTATED", u"PENV_5_ROTATED", u"PENV_6_ROTATED", u"PENV_7_ROTATED", u"PENV_8_ROTATED",
    u"PENV_9_ROTATED", u"PENV_10_ROTATED",
};
static_assert(std::size(kPaperNames) == 118);

constexpr Constant kConstantsBeforePapers[] = {
    {u"TVOT_2STATES", 0}, {u"TVOT_3STATES", 1}, {u"TVOT_UDARROW", 2}, {u"TVOT_TRACKBAR", 3},
    {u"TVOT_SCROLLBAR", 4}, {u"TVOT_LISTBOX", 5}, {u"TVOT_COMBOBOX", 6}, {u"TVOT_EDITBOX", 7},
    {u"TVOT_PUSHBUTTON", 8}, {u"TVOT_CHKBOX", 9}, {u"TVOT_NSTATES_EX", 10}, {u"TVOT_NONE", 11},
    {u"TVOT_PROPSHEET", 15}, {u"TVOT_PROPSHEETUI", 16}, {u"TVOT_TABCONTROL", 20},
    {u"DMPUB_NONE", 0}, {u"DMPUB_ORIENTATION", 1}, {u"DMPUB_SCALE", 2}, {u"DMPUB_COPIES_COLLATE", 3},
    {u"DMPUB_DEFSOURCE", 4}, {u"DMPUB_PRINTQUALITY", 5}, {u"DMPUB_COLOR", 6}, {u"DMPUB_DUPLEX", 7},
    {u"DMPUB_TTOPTION", 8}, {u"DMPUB_FORMNAME", 9}, {u"DMPUB_ICMMETHOD", 10}, {u"DMPUB_ICMINTENT", 11},
    {u"DMPUB_MEDIATYPE", 12}, {u"DMPUB_DITHERTYPE", 13}, {u"DMPUB_OUTPUTBIN", 14}, {u"DMPUB_QUALITY", 15},
    {u"DMPUB_NUP", 16}, {u"DMPUB_PAGEORDER", 17}, {u"DMPUB_USECTRLID", 65535},
    {u"HELP_USECTRLID", 65535}, {u"HELP_NOHELP", 65534},
    {u"CPSUI_DOC_PRNFEATURES", 2147484667ULL}, {u"CPSUI_DOC_ICMFEATURES", 2147483658ULL},
    {u"CPSUI_PRN_FORMTRAY", 2147484675ULL}, {u"CPSUI_PRN_FONTSUBST", 2147484673ULL},
    {u"CPSUI_PRN_FONTCART", 2147484685ULL}, {u"CPSUI_PRN_INSTALLOPT", 2147484680ULL},
    {u"DM_MEDIASIZE_UNDEFINED", 0}, {u"DM_MEDIASIZE_UNSPECIFIED", 0},
};

constexpr Constant kConstantsAfterPapers[] = {
    {u"DM_MEDIASOURCE_UNDEFINED", 0}, {u"DM_MEDIASOURCE_UNSPECIFIED", 0}, {u"DM_MEDIASOURCE_UPPER", 1},
    {u"DM_MEDIASOURCE_ONLYONE", 1}, {u"DM_MEDIASOURCE_LOWER", 2}, {u"DM_MEDIASOURCE_MIDDLE", 3},
    {u"DM_MEDIASOURCE_MANUAL", 4}, {u"DM_MEDIASOURCE_ENVELOPE", 5}, {u"DM_MEDIASOURCE_ENVMANUAL", 6},
    {u"DM_MEDIASOURCE_AUTO", 7}, {u"DM_MEDIASOURCE_TRACTOR", 8}, {u"DM_MEDIASOURCE_SMALLFMT", 9},
    {u"DM_MEDIASOURCE_LARGEFMT", 10}, {u"DM_MEDIASOURCE_LARGECAPACITY", 11}, {u"DM_MEDIASOURCE_CASSETTE", 14},
    {u"DM_MEDIASOURCE_FORMSOURCE", 15},
    {u"DM_MEDIATYPE_UNDEFINED", 0}, {u"DM_MEDIATYPE_UNSPECIFIED", 0},
    {u"DM_MEDIAOUTPUT_FACEDOWN", 0}, {u"DM_MEDIAOUTPUT_FACEUP", 1},
    {u"DMCOLOR_MONOCHROME", 1}, {u"DMCOLOR_COLOR", 2},
    // The kit's own values.
    {u"UIPTYPE_PAGES", 1}, {u"UIPTYPE_SHEETS", 2},
    {u"UIPMODE_DOCUMENT", 1}, {u"UIPMODE_PRINTER", 2},
    {u"PDLTYPE_UNDEFINED", 0}, {u"PDLTYPE_RASTER", 10}, {u"PDLTYPE_RASTER_PAGE", 11}, {u"PDLTYPE_RASTER_SERIAL", 12},
    {u"PDLTYPE_PSCRIPT", 20}, {u"PDLTYPE_PSCRIPT_LEVEL1", 21}, {u"PDLTYPE_PSCRIPT_LEVEL2", 22},
    {u"PDLTYPE_PSCRIPT_LEVEL3", 23}, {u"PDLTYPE_PCL", 30}, {u"PDLTYPE_PCL5", 40}, {u"PDLTYPE_PCL5_MONO", 41},
    {u"PDLTYPE_PCL5_COLOR", 42}, {u"PDLTYPE_PCL6", 50}, {u"PDLTYPE_PCL6_MONO", 51}, {u"PDLTYPE_PCL6_COLOR", 52},
    {u"DRVTYPE_UNDEFINED", 0}, {u"DRVTYPE_GDI", 1}, {u"DRVTYPE_XPS", 2},
    {u"PROP_SHOW", 0}, {u"PROP_HIDE", 2},
    {u"ITEM_SHOW", 0}, {u"ITEM_HIDE", 1}, {u"ITEM_DISABLED", 2},
    {u"PST_DEVICETYPE_UNDEFINED", 0}, {u"PST_DEVICETYPE_SHORTEDGE", 1}, {u"PST_DEVICETYPE_LONGEDGE", 2},
    {u"PST_DEVICETYPE_SHORTEDGE_BACK", 3}, {u"PST_DEVICETYPE_LONGEDGE_BACK", 4},
    {u"PST_DUPLEXTYPE_NONE", 0}, {u"PST_DUPLEXTYPE_HARDWARE", 1}, {u"PST_DUPLEXTYPE_MANUAL", 2},
    {u"PST_DUPLEXTYPE_MANUALBACK", 3},
    {u"PST_WMKMODE_UNDEFINED", 0}, {u"PST_WMKMODE_TRANSFORM", 1}, {u"PST_WMKMODE_TTDOWNLOAD", 2},
};

// A field of a kit structure: its type word, its array size (0: none given) and whether a row may
// leave it out without a warning.
struct Field {
    const char16_t* m_name;
    const char16_t* m_type;
    unsigned m_arraySize;
    bool m_warns;
};

// A kit structure; a field of type XPDSTRUCT is followed by its nested structure's declaration.
struct Structure {
    const char16_t* m_name;
    bool m_forceWrite;
    std::span<const Field> m_fields;
};

constexpr bool W = true;   // warns when a row leaves it empty
constexpr bool Q = false;  // quiet: "*WARNWHENEMPTY" "OFF"

constexpr Field kSheetFields[] = {{u"DIALOGID", u"WORD", 0, W}, {u"CAPTION", u"STRING", 0, W}, {u"ICONID", u"DWORD", 0, Q}};
constexpr Field kRegEntryFields[] = {
    {u"VALUENAME", u"STRING", 0, W}, {u"VALUENUM", u"DWORD", 0, Q}, {u"VALUESTR", u"STRING", 0, Q}};
constexpr Field kOptionFields[] = {
    {u"ITEMTEXTID", u"WORD", 0, W}, {u"ITEMTEXT", u"STRING", 0, Q}, {u"ITEMVISIBLE", u"BYTE", 0, Q},
    {u"GROUP", u"DWORD", 0, Q},     {u"ICONID", u"WORD", 0, Q},     {u"VALUE", u"DYNAMIC", 0, W},
    {u"MINVALUE", u"WORD", 0, Q},   {u"MAXVALUE", u"WORD", 0, Q},   {u"MULVALUE", u"WORD", 0, Q},
    {u"INCVALUE", u"WORD", 0, Q}};
constexpr Field kUipInfoFields[] = {{u"UIPTYPE", u"DWORD", 0, W}, {u"UIPMODE", u"DWORD", 0, W},
                                    {u"UIPPDL", u"DWORD", 0, W},  {u"UIPDRV", u"DWORD", 0, W},
                                    {u"SHEET", u"XPDSTRUCT", 0, W}};
constexpr Field kPrnInfoFields[] = {{u"_MASTERUNITS", u"WORD", 2, Q}, {u"_PAGEMARGINS", u"DWORD", 4, Q}};
constexpr Field kRegInfoFields[] = {{u"REGENTRY", u"XPDSTRUCT", 0, W}};
constexpr Field kFeatureFields[] = {
    {u"CONTROLID", u"WORD", 0, W},     {u"CONTROLTYPE", u"BYTE", 0, W}, {u"CONTROLTEXTID", u"WORD", 0, W},
    {u"CONTROLTEXT", u"STRING", 0, Q}, {u"DMPUBID", u"WORD", 0, W},     {u"PROPVISIBLE", u"BYTE", 0, Q},
    {u"PROPLEVEL", u"BYTE", 0, W},     {u"RESERVED", u"BYTE", 0, Q},    {u"HELPID", u"WORD", 0, Q},
    {u"ICONID", u"WORD", 0, Q},        {u"OPTION", u"XPDSTRUCT", 0, W}};
constexpr Field kOemDevmodeFields[] = {
    {u"_SIZE", u"DWORD", 0, Q},
    {u"_SIGNATURE", u"DWORD", 0, Q},
    {u"_VERSION", u"DWORD", 0, W},
    {u"_PDLTYPE", u"DWORD", 0, W},
    {u"_PAGEORDER", u"BYTE", 0, Q},
    {u"_BOOKLET", u"BYTE", 0, Q},
    {u"_NUP_PAGES", u"BYTE", 0, Q},
    {u"_NUP_BORDER", u"BYTE", 0, Q},
    {u"_NUP_ORDER", u"BYTE", 0, Q},
    {u"_SCALEDOCON_ENABLED", u"BYTE", 0, Q},
    {u"_SCALEDOCON_SIZE", u"WORD", 0, Q},
    {u"_SCALEDOCON_TOFIT", u"BYTE", 0, Q},
    {u"_SCALE_FACTOR", u"WORD", 0, Q},
    {u"_WMK_ENABLED", u"BYTE", 0, Q},
    {u"_WMK_1STPAGEONLY", u"BYTE", 0, Q},
    {u"_WMK_TEXT", u"CHAR", 64, Q},
    {u"_WMK_ANGLE", u"BYTE", 0, Q},
    {u"_WMK_DEGREE", u"WORD", 0, Q},
    {u"_WMK_FONT", u"CHAR", 64, Q},
    {u"_WMK_COLOR", u"COLORREF", 0, Q},
    {u"_WMK_SHADE", u"WORD", 0, Q},
    {u"_WMK_SIZE", u"WORD", 0, Q},
    {u"_WMK_STYLE", u"BYTE", 0, Q},
    {u"_WMK_TEXT_IDX", u"WORD", 0, Q},
    {u"_POSTER", u"BYTE", 0, Q},
    {u"_POSTER_CROP", u"BYTE", 0, Q},
    {u"_ACC_DOCPAGECOUNT", u"DWORD", 0, Q},
    {u"_ACC_NUPPAGEORIENT", u"DWORD", 0, Q},
    {u"_FIRSTPAGESIZE", u"DWORD", 0, Q},
    {u"_XPD_RESERVE", u"BYTE", 16, Q},
    {u"_OEM_RESERVE", u"BYTE", 64, Q}};
constexpr Field kPrinterSettingsFields[] = {
    {u"_SIZE", u"DWORD", 0, Q},
    {u"_SIGNATURE", u"DWORD", 0, Q},
    {u"_VERSION", u"DWORD", 0, W},
    {u"_PDLTYPE", u"DWORD", 0, W},
    {u"_DRVTYPE", u"DWORD", 0, W},
    {u"_DEVICETYPE", u"DWORD", 0, Q},
    {u"_DUPLEXTYPE", u"DWORD", 0, Q},
    {u"_WMKMODE", u"DWORD", 0, Q},
    {u"_PPRCOLLATEDCOPIES", u"DWORD", 0, W},
    {u"_XPD_RESERVE", u"BYTE", 20, Q},
    {u"_OEM_RESERVE", u"BYTE", 64, Q}};

constexpr Structure kSheet{u"SHEET", false, kSheetFields};
constexpr Structure kRegEntry{u"REGENTRY", false, kRegEntryFields};
constexpr Structure kOption{u"OPTION", false, kOptionFields};

// In the order they are declared.
constexpr Structure kStructures[] = {
    {u"UIPINFO", false, kUipInfoFields},
    {u"PRNINFO", false, kPrnInfoFields},
    {u"REGINFO", false, kRegInfoFields},
    {u"DOCUMENTFEATURE", true, kFeatureFields},
    {u"PRINTERFEATURE", true, kFeatureFields},
    {u"OEMDEVMODE", true, kOemDevmodeFields},
    {u"PRINTERSETTINGS", true, kPrinterSettingsFields},
};

const Structure* NestedOf(std::u16string_view name) {
    if (name == u"SHEET") return &kSheet;
    if (name == u"REGENTRY") return &kRegEntry;
    if (name == u"OPTION") return &kOption;
    return nullptr;
}

void AddStructure(std::vector<PreludeRecord>& records, const Structure& structure, BYTE depth) {
    records.push_back({u"*XPDSTRUCT", structure.m_name, depth});
    if (structure.m_forceWrite) records.push_back({u"*FORCEWRITE", u"ON", static_cast<BYTE>(depth + 1)});
    for (const Field& field : structure.m_fields) {
        records.push_back({u"*FIELD", field.m_name, static_cast<BYTE>(depth + 1)});
        records.push_back({u"*FIELDTYPE", field.m_type, static_cast<BYTE>(depth + 2)});
        if (field.m_arraySize) records.push_back({u"*ARRAYSIZE", DecimalText(field.m_arraySize), static_cast<BYTE>(depth + 2)});
        if (!field.m_warns) records.push_back({u"*WARNWHENEMPTY", u"OFF", static_cast<BYTE>(depth + 2)});
        if (const Structure* nested = NestedOf(field.m_name); nested && std::u16string_view(field.m_type) == u"XPDSTRUCT")
            AddStructure(records, *nested, static_cast<BYTE>(depth + 1));
    }
}

std::vector<PreludeRecord> BuildPrelude() {
    std::vector<PreludeRecord> records;
    records.reserve(kPreludeRecords);
    records.push_back({u"*MACROS", u"CONSTANTS", 0});
    for (const Constant& constant : kConstantsBeforePapers) records.push_back({constant.m_name, DecimalText(constant.m_value), 1});
    for (size_t id = 1; id <= std::size(kPaperNames); ++id)
        records.push_back({std::u16string(u"DM_MEDIASIZE_") + kPaperNames[id - 1], DecimalText(id), 1});
    for (const Constant& constant : kConstantsAfterPapers) records.push_back({constant.m_name, DecimalText(constant.m_value), 1});
    for (const Structure& structure : kStructures) AddStructure(records, structure, 0);
    return records;
}

}  // namespace

const std::vector<PreludeRecord>& Prelude() {
    static const std::vector<PreludeRecord> records = BuildPrelude();
    return records;
}

void AppendPrelude(EntryList& list) {
    for (const PreludeRecord& record : Prelude()) list.Append(record.m_keyword, record.m_value, record.m_depth);
}

}  // namespace xpc
