#include "kitmessages.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr KitMessage kMessages[] = {
#if defined(XPR_VARIANT_UI)
    // Informational.
    {61301, u"Processing...\n"},
    {61302, u"%s\n"},
    {61303, u"Compiling...\n"},
    {61304, u"%s\n"},
    {61311, u"DUMPING TOKEN: Key: %s\tValue: %s\tLevel: %d.\n"},
    // Description reader and compiler.
    {61401, u"warning XPC1001 : no content in file '%s'.\n"},
    {61402, u"warning XPC1002 : multiple includes, '%s' will be ignored.\n"},
    {61501, u"warning XPC1101 : no string resource for id '%d' found in '%s' resourcefile.\n"},
    {61502, u"warning XPC1102 : no string resource for id '%d' found in any resourcefiles.\n"},
    {61503, u"warning XPC1103 : macro '%s' not found, no translation occured.\n"},
    {61601, u"warning XPC1201 : no values for structure '%s' defined, structure will not be saved.\n"},
    {61602, u"warning XPC1202 : arraysize not allowed for field '(%s)%s' in structure '%s', using default.\n"},
    {61603, u"warning XPC1203 : no value specified for field '%s' in structure '%s (%s)', using default.\n"},
    {61604, u"warning XPC1204 : values '%s' specified for field '(%s) %s[%d]' do not fit, ignoring overflowing values.\n"},
    {61605, u"warning XPC1205 : no references specified for dynamic field '%s' in structure '%s(%s)', skiping field.\n"},
    {61606, u"warning XPC1206 : empty value specified for field '%s' in structure '%s (%s)', using default.\n"},
    {61607, u"warning XPC1207 : reference already specified for dynamic field '%s', ignoring reference to field '%s'.\n"},
    {61608, u"warning XPC1208 : unsupported/unknown OS, unable to perform exclusions operation.\n"},
    {61609, u"warning XPC1209 : unsupported/unknown OS, unable to perform injection operation.\n"},
    {61801, u"error XPC2001 : file '%s' does not exist,\n"},
    {61802, u"error XPC2002 : cannot open file '%s', sharing violation.\n"},
    {61803, u"error XPC2003 : no source information, unable to continue.\n"},
    {61804, u"error XPC2004 : cannot read file '%s'.\n"},
    {61805, u"error XPC2005 : cannot open resource file '%s'.\n"},
    {61806, u"error XPC2006 : stop due to previous error.\n"},
    {61901, u"%s(%d) : syntax error XPC2101 : '%s' missing before new line.\n"},
    {61902, u"%s(%d) : syntax error XPC2102 : unexpected end of file.\n"},
    {61903, u"%s(%d) : syntax error XPC2103 : value missing before new line.\n"},
    {61904, u"%s(%d) : syntax error XPC2104 : missing token value before new line.\n"},
    {61905, u"%s(%d) : syntax error XPC2105 : illegal end section marker.\n"},
    {61906, u"%s(%d) : syntax error XPC2106 : missing token value before begin section marker.\n"},
    {61907, u"%s(%d) : syntax error XPC2107 : no end section marker found before end of file.\n"},
    {62001, u"error XPC2201 : nothing to compile, no structures defined in source(s).\n"},
    {62002, u"error XPC2202 : structure name '%s' exceeds size of %d characters.\n"},
    {62003, u"error XPC2203 : field name '%s' exceeds size of %d characters.\n"},
    {62004, u"error XPC2204 : no type defined for field '%s' in structure '%s'.\n"},
    {62005, u"error XPC2205 : invalid arraysize defined for field '(%s)%s[%d]' in structure '%s'.\n"},
    {62006, u"error XPC2206 : invalid type defined for field '(%s)%s' in structure %s'.\n"},
    {62007, u"error XPC2207 : unable to initialze field '%s' in structure '%s'.\n"},
    {62008, u"error XPC2208 : definition for structure '%s' missing or unknown.\n"},
    {62101, u"error XPC2301 : invalid reference descriptor '%s'.\n"},
    {62102, u"error XPC2302 : %s reference descriptor '%s' exceeds maximum structure depth of %d.\n"},
    {62103, u"error XPC2303 : %s reference descriptor '%s' seems to reference a structure not a field.\n"},
    {62104, u"error XPC2304 : %s reference descriptor '%s' references a none existing structure [%s].\n"},
    {62105, u"error XPC2305 : %s reference descriptor '%s' references a structure not a field.\n"},
    {62106, u"error XPC2306 : parameter [%d] in %s reference descriptor '%s' references a field not a structure.\n"},
    {62107, u"error XPC2307 : invalid %s reference descriptor '%s', field '%s' does not exist in structure '%s'.\n"},
    {62108, u"error XPC2308 : invalid %s reference descriptor '%s', structure '%s' does not exist in structure '%s'.\n"},
    {62109, u"error XPC2309 : invalid value reference descriptor '%s', field '%s' is not a DYNAMIC field.\n"},
    {62110, u"error XPC2310 : invalid field reference descriptor '%s', field '%s' must not be a STRING field.\n"},
    {62111, u"error XPC2311 : invalid field reference descriptor '%s', field '%s' must not be a DYNAMIC field.\n"},
    {62112, u"error XPC2312 : invalid reference descriptor '%s(%s)', field and value reference descriptor point both to '%s' structure.\n"},
    {62201, u"%s(%d) : internal error XPC3001 : invalid parameters or content on function call.\n"},
    {62202, u"%s(%d) : internal error XPC3002 : out of memory.\n"},
    {62203, u"%s(%d) : internal error XPC3003 : out of memory, no token slots available.\n"},
#endif
    // Settings runtime.
    {62601, u"warning XPR1001 : structure size for structure '%s', exceeds 64768 bytes.\n"},
    {62702, u"warning XPR1102 : field '%s' in structure '%s' is not a dyamic field and therefore has no reference.\n"},
    {62703, u"warning XPR1103 : no reference for field '%s' in structure '%s' available.\n"},
    {63001, u"error XPR2001 : unable to open printer '%s'.\n"},
    {63002, u"error XPR2002 : unable to write '%s' structure data for printer '%s'.\n"},
    {63003, u"error XPR2003 : unable to read '%s' structure data for printer '%s'.\n"},
    {63004, u"error XPR2004 : signature mismatch '0x%x' in structure '%s', expecting  '0x%x'.\n"},
    {63005, u"error XPR2005 : invalid version information in structure '%s'.\n"},
    {63101, u"error XPR2101 : structure '%s' is not a member of structure '%s'.\n"},
    {63102, u"error XPR2102 : field '%s' is not a member of structure '%s'.\n"},
    {63201, u"error XPR2201 : unable to obtain structure record with filter '%s.TAG = %s'.\n"},
    {63301, u"error XPR2301 : insufficent memory, destination data buffer for field '%s' requires %d bytes.\n"},
    {63302, u"error XPR2302 : data source does not fit into destination field '%s' which is %d bytes in size.\n"},
    {63401, u"%s(%d) : internal error XPR3001 : invalid parameters or content on function call.\n"},
    {63402, u"%s(%d) : internal error XPR3002 : out of memory.\n"},
    {63403, u"%s(%d) : internal error XPR3003 : out of memory, no structure slots available.\n"},
};

static_assert(std::is_sorted(std::begin(kMessages), std::end(kMessages),
                             [](const KitMessage& a, const KitMessage& b) { return a.m_code < b.m_code; }));

}  // namespace

std::span<const KitMessage> KitMessages() {
    return kMessages;
}

LPCWSTR KitMessageText(DWORD code) {
    const auto found = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                                        [](const KitMessage& m, DWORD c) { return m.m_code < c; });
    return found != std::end(kMessages) && found->m_code == code ? found->m_text : nullptr;
}
