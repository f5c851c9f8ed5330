#include "cmswriter.h"

#include <algorithm>

#include "ansitext.h"
#include "drvstore.h"
#include "kitstatus.h"
#include "kittrace.h"

namespace {

std::u16string DataFilePath(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed);
    if (needed < sizeof(DRIVER_INFO_3W)) return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterDriverW(printer, nullptr, 3, buffer.data(), needed, &needed)) return {};
    const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    return info->pDataFile ? std::u16string(info->pDataFile) : std::u16string();
}

void ReadPrinterInfo(CmsFileWriter* writer) {
    XprStore* loaded = nullptr;
    if (CreateByHandle(&loaded, writer->m_printer, u"PRNINFO") >= KIT_SEVERITY_ERROR) return;
    const OwnedStore store(loaded);
    XprTable* cursor = nullptr;
    if (FetchFirstRow(store.get(), u"PRNINFO", &cursor) != 0) return;
    WORD units[2] = {};
    if (GetValue(cursor, units, sizeof units, u"_MASTERUNITS") == 0) {
        writer->m_masterUnitsX = units[0];
        writer->m_masterUnitsY = units[1];
    }
    LONG margins[4] = {};
    if (GetValue(cursor, margins, sizeof margins, u"_PAGEMARGINS") == 0)
        std::copy(std::begin(margins), std::end(margins), writer->m_margins);
}

}  // namespace

BOOL LoadCmsContext(CmsFileWriter* writer) {
    if (!writer) return FALSE;
    try {
        writer->m_image.m_path = DataFilePath(writer->m_printer);
        writer->m_image.m_content.clear();
        if (writer->m_image.m_path.empty() || FAILED(ReadDataFile(&writer->m_image))) {
            DebugTrace(1, u"%s: cannot read the data file\n", u"CmsFileWriter::LoadCmsContext");
            return FALSE;
        }
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    writer->m_masterUnitsX = CMS_DEFAULT_MASTER_UNITS;
    writer->m_masterUnitsY = CMS_DEFAULT_MASTER_UNITS;
    ReadPrinterInfo(writer);
    return TRUE;
}

LPCSTR MakeOptionSymbol(CmsFileWriter* writer, LPCSTR ansiName) {
    if (!writer) return nullptr;
    static constexpr char kHex[] = "0123456789ABCDEF";
    size_t length = 0;
    auto append = [&](char c) {
        if (length + 1 < CMS_SYMBOL_BYTES) writer->m_symbol[length++] = c;
    };
    for (const char* at = ansiName ? ansiName : ""; *at; ++at) {
        const auto byte = static_cast<unsigned char>(*at);
        if ((byte >= 0x2A && byte <= 0x3F) || (byte >= 'A' && byte <= 'Z')) {
            append(static_cast<char>(byte));
        } else if (byte >= 'a' && byte <= 'z') {
            append(static_cast<char>(byte - 'a' + 'A'));
        } else if (length + 2 < CMS_SYMBOL_BYTES) {
            append(kHex[byte >> 4]);
            append(kHex[byte & 0xF]);
        }
    }
    writer->m_symbol[length] = 0;
    return writer->m_symbol;
}

std::vector<CmsMedium> WrittenMedia(CmsFileWriter* writer, const CustomMediaList* list) {
    std::vector<CmsMedium> media;
    if (!writer || !list || !list->pOptParam) return media;
    for (size_t i = 0; i < list->Count; ++i) {
        const OPTPARAM& option = list->pOptParam[i];
        const auto* record = reinterpret_cast<const CustomMediaRecord*>(option.lParam);
        if ((option.Flags & OPTPF_HIDE) || !record || !record->m_name[0]) continue;
        CmsMedium medium;
        medium.m_position = i;
        medium.m_name = ToAnsiLimited(record->m_name, CMS_NAME_CHARS, CMS_NAME_ANSI_BYTES);
        medium.m_symbol = MakeOptionSymbol(writer, medium.m_name.c_str());
        medium.m_width = record->m_form.Size.cx;
        medium.m_height = record->m_form.Size.cy;
        media.push_back(std::move(medium));
    }
    return media;
}
