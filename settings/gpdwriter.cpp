// The GPD writers: the printer settings between the RTI tags and the custom media between the CMS
// tags.
#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "cmswriter.h"
#include "codrvsettings.h"
#include "datafiletags.h"
#include "drvstore.h"
#include "kitstatus.h"
#include "kittrace.h"
#include "quotable_text.h"
#include "settingssymbols.h"

namespace {

// The PCL5 family of PDL types, whose custom sizes are selected in the document setup.
constexpr DWORD kPdlPcl5 = 40;

// Appends printf-formatted text.
__attribute__((format(printf, 2, 3))) void AppendFormat(std::string* out, const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    const int length = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length > 0) out->append(line, std::min(static_cast<size_t>(length), sizeof line - 1));
}

// Where a tagged section lies: [begin, end) is replaced, the rest kept.
struct TaggedSection {
    size_t m_begin = std::string_view::npos;  // the begin tag
    size_t m_after = std::string_view::npos;  // the line after the end tag's line
};

// The section between the first begin tag and the first end tag after it; m_begin npos when
// either is missing.
TaggedSection FindSection(std::string_view content, std::string_view beginTag, std::string_view endTag) {
    TaggedSection section;
    const size_t begin = FindTag(content, beginTag);
    if (begin == std::string_view::npos) return section;
    const size_t end = FindTag(content, endTag, begin + beginTag.size());
    if (end == std::string_view::npos) return section;
    section.m_begin = begin;
    section.m_after = NextLineStart(content, end + endTag.size());
    return section;
}

// _PDLTYPE of the printer's stored PRINTERSETTINGS, 0 when it cannot be read.
DWORD StoredPdlType(HANDLE printer) {
    XprStore* loaded = nullptr;
    if (CreateByHandle(&loaded, printer, u"PRINTERSETTINGS") >= KIT_SEVERITY_ERROR) return 0;
    const OwnedStore store(loaded);
    XprTable* cursor = nullptr;
    if (FetchFirstRow(store.get(), u"PRINTERSETTINGS", &cursor) != 0) return 0;
    DWORD pdl = 0;
    if (GetValue(cursor, &pdl, sizeof pdl, u"_PDLTYPE") != 0) return 0;
    return pdl;
}

// A name between the quotes of a GPD string. Beyond what QuotableText makes safe, a GPD string
// reads "<" as the start of hex bytes, and "%" before the closing quote turns that quote into a
// character of the text, so the string never ends: "<" is written "%<", and a closing run of "%"
// as hex bytes ("<25>" each), so the name reads back as it is.
std::string GpdQuotedText(std::string_view text) {
    const std::string safe = QuotableText(text);
    const size_t closingPercent = safe.find_last_not_of('%') + 1;  // 0 when all are "%" (npos + 1)
    std::string quoted;
    for (size_t i = 0; i < safe.size(); ++i) {
        if (i >= closingPercent) {
            quoted += "<25>";
            continue;
        }
        if (safe[i] == '<') quoted += '%';
        quoted += safe[i];
    }
    return quoted;
}

void AppendCommands(std::string* out, DWORD pdl, bool portrait) {
    out->append("\t\t\t\t*Command: CmdSelect\r\n\t\t\t\t{\r\n");
    out->append(pdl == kPdlPcl5 ? "\t\t\t\t\t*Order: DOC_SETUP.12\r\n" : "\t\t\t\t\t*Order: PAGE_SETUP.3\r\n");
    out->append("\t\t\t\t\t*Cmd: =MediaSizeCustom\r\n\t\t\t\t}\r\n");
    if (pdl != kPdlPcl5) return;
    out->append("\t\t\t\t*Command: CmdStartPage\r\n\t\t\t\t{\r\n\t\t\t\t\t*Order: PAGE_SETUP.3\r\n");
    out->append(portrait ? "\t\t\t\t\t*Cmd: =StartPageCustomPortrait\r\n" : "\t\t\t\t\t*Cmd: =StartPageCustomLandscape\r\n");
    out->append("\t\t\t\t}\r\n");
}

// One medium's option block.
void AppendMedium(std::string* out, const CmsFileWriter& writer, const CmsMedium& medium, DWORD pdl) {
    const char* symbol = medium.m_symbol.c_str();
    const std::string prefix = medium.m_symbol.substr(0, 2);
    // Device units in unsigned 32-bit arithmetic, as the universal driver's own sizes are made.
    const uint32_t width = static_cast<uint32_t>(medium.m_width) * writer.m_masterUnitsX / 25400u;
    const uint32_t height = static_cast<uint32_t>(medium.m_height) * writer.m_masterUnitsY / 25400u;
    const uint32_t horizontal = static_cast<uint32_t>(writer.m_margins[2]);
    const uint32_t vertical = static_cast<uint32_t>(writer.m_margins[0]);
    const auto printable = [&] {
        AppendFormat(out, "\t\t\t\t*PrintableArea: PAIR(%d,%d)\r\n", static_cast<int>(width - 2 * horizontal),
                     static_cast<int>(height - 2 * vertical));
        AppendFormat(out, "\t\t\t\t*PrintableOrigin: PAIR(%d,%d)\r\n", static_cast<int>(horizontal),
                     static_cast<int>(vertical));
    };

    AppendFormat(out, "*Ifdef: _CUSTOM_%s_ALLOWED_01\r\n", symbol);
    AppendFormat(out, "\t*Option: CUSTOM_%02d%s\r\n", static_cast<int>(medium.m_position), prefix.c_str());
    out->append("\t{\r\n");
    out->append("\t\t*Name: \"").append(GpdQuotedText(medium.m_name)).append("\"\r\n");
    AppendFormat(out, "\t\t*PageDimensions: PAIR(%d,%d)\r\n\r\n", static_cast<int>(width), static_cast<int>(height));
    out->append("\t\t*switch: Orientation\r\n\t\t{\r\n");
    out->append("\t\t\t*case: PORTRAIT\r\n\t\t\t{\r\n");
    printable();
    AppendFormat(out, "\t\t\t\t*CursorOrigin: PAIR(%d,%d)\r\n", static_cast<int>(horizontal), static_cast<int>(vertical));
    AppendCommands(out, pdl, true);
    out->append("\t\t\t}\r\n");
    out->append("\t\t\t*case: LANDSCAPE_CC90\r\n\t\t\t{\r\n");
    printable();
    AppendFormat(out, "\t\t\t\t*CursorOrigin: PAIR(%d,%d)\r\n", static_cast<int>(horizontal),
                 static_cast<int>(height - vertical));
    AppendCommands(out, pdl, false);
    out->append("\t\t\t}\r\n\t\t}\r\n\t}\r\n");
    AppendFormat(out, "*Endif: _CUSTOM_%s_ALLOWED_01\r\n\r\n", symbol);
}

}  // namespace

HRESULT CoDrvSettings::UpdateRtiBlock(DataFileImage* image, XprTable* printerSettings) {
    if (!image || image->m_path.empty()) return E_FAIL;
    const HRESULT result = RewriteDataFile(image, [&](std::string_view content, DataFileRewrite* rewrite) {
        const TaggedSection section = FindSection(content, TAG_RTI_BEGIN, TAG_RTI_END);
        if (section.m_begin == std::string_view::npos) {
            rewrite->m_result = E_FAIL;
            return;
        }
        std::string& out = rewrite->m_text;
        out.assign(content.substr(0, section.m_begin));
        out.append(TAG_RTI_BEGIN "\r\n");
        for (const SettingsSymbol& symbol : MakeSettingsSymbols(printerSettings)) {
            if (symbol.m_column.find(u"_RESERVE") != std::u16string::npos || !symbol.m_reachable) continue;
            if (symbol.m_isText && symbol.m_text.empty()) continue;
            out.append("*Define: ").append(QuotableText(symbol.m_text)).append("\r\n");
        }
        out.append(TAG_RTI_END "\r\n");
        out.append(content.substr(section.m_after));
        rewrite->m_write = true;
    });
    if (FAILED(result)) DebugTrace(1, u"%s: rewrite failed hr=[%08x]\n", u"CoDrvSettings::UpdateRtiBlock", result);
    return result;
}

HRESULT WriteGpdCustomMedia(CmsFileWriter* writer, const CustomMediaList* list) {
    if (!writer || !list) return E_INVALIDARG;
    const HRESULT result = RewriteDataFile(&writer->m_image, [&](std::string_view content, DataFileRewrite* rewrite) {
        const TaggedSection section = FindSection(content, TAG_CMS_BEGIN, TAG_CMS_END);
        if (section.m_begin == std::string_view::npos) {
            rewrite->m_result = S_FALSE;
            return;
        }
        // The printer's settings are read only for a file that has a section to write.
        DWORD pdl = StoredPdlType(writer->m_printer);
        if (pdl >= 40 && pdl <= 49) pdl = kPdlPcl5;
        const std::vector<CmsMedium> media = WrittenMedia(writer, list);
        std::string& out = rewrite->m_text;
        out.assign(content.substr(0, section.m_begin));
        out.append(TAG_CMS_BEGIN "\r\n");
        out.append("\r\n*Ifdef: _FORMASSIGN_01\r\n*Else:\r\n");
        for (const CmsMedium& medium : media) AppendFormat(&out, "*Define: _CUSTOM_%s_ALLOWED_01\r\n", medium.m_symbol.c_str());
        out.append("*Endif: _FORMASSIGN_01\r\n\r\n");
        for (const CmsMedium& medium : media) AppendMedium(&out, *writer, medium, pdl);
        out.append(TAG_CMS_END "\r\n");
        out.append(content.substr(section.m_after));
        rewrite->m_write = true;
    });
    if (FAILED(result)) DebugTrace(1, u"%s: rewrite failed hr=[%08x]\n", u"WriteGpdCustomMedia", result);
    return result;
}
