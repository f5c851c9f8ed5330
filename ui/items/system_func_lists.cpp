// Option lists copied from a device capability: the paper, bin and media-type items take the
// source item's options and give each the device's own id for its name. Paper lists also follow
// the form behind each option, and keep the paper ids they changed in the remap table, which the
// paper items use to give the device's ids back on Apply.
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include <win/winspool.h>

#include "items/printer_form.h"
#include "items/system_func.h"
#include "kittrace.h"

namespace {

// Hidden slots a paper list keeps for the custom media appended to it.
constexpr size_t kPaperListRoom = 11;

std::u16string_view OptionText(const OPTPARAM& option) {
    const auto address = reinterpret_cast<ULONG_PTR>(option.pData);
    if (address <= 0xFFFF) return {};  // a resource id has no text to match
    return std::u16string_view(option.pData);
}

// A name field of the device's answer, which has no NUL when the name fills it.
std::u16string_view NameField(const std::vector<WCHAR>& names, size_t index, size_t width) {
    const WCHAR* field = names.data() + index * width;
    return std::u16string_view(field, std::find(field, field + width, u'\0') - field);
}

// The device's ids and names for one capability pair; false when they cannot be read.
struct DeviceList {
    std::vector<LONG> ids;
    std::vector<WCHAR> names;
    size_t count = 0;
};

bool ReadDeviceList(LPCWSTR printer, LPCWSTR port, WORD idCapability, WORD nameCapability, size_t nameWidth,
                    DeviceList* list) {
    if (!printer || nameWidth == 0) return false;
    const int ids = DeviceCapabilitiesW(printer, port, idCapability, nullptr, nullptr);
    const int names = DeviceCapabilitiesW(printer, port, nameCapability, nullptr, nullptr);
    if (ids <= 0 || names <= 0) return false;
    const size_t idBytes = idCapability == DC_MEDIATYPES ? sizeof(DWORD) : sizeof(WORD);
    std::vector<BYTE> idBuffer(static_cast<size_t>(ids) * idBytes);
    list->names.assign(static_cast<size_t>(names) * nameWidth, 0);
    if (DeviceCapabilitiesW(printer, port, idCapability, reinterpret_cast<LPWSTR>(idBuffer.data()), nullptr) != ids ||
        DeviceCapabilitiesW(printer, port, nameCapability, list->names.data(), nullptr) != names)
        return false;
    list->count = static_cast<size_t>(std::min(ids, names));
    for (size_t i = 0; i < list->count; ++i) {
        if (idBytes == sizeof(DWORD)) {
            DWORD id = 0;
            std::memcpy(&id, idBuffer.data() + i * idBytes, sizeof id);
            list->ids.push_back(static_cast<LONG>(id));
        } else {
            WORD id = 0;
            std::memcpy(&id, idBuffer.data() + i * idBytes, sizeof id);
            list->ids.push_back(id);
        }
    }
    return true;
}

// The port the printer prints to (GetPrinterW level 5); empty when it cannot be read.
std::u16string PortOf(HANDLE printer) {
    DWORD needed = 0;
    if (!printer || GetPrinterW(printer, 5, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        needed < sizeof(PRINTER_INFO_5W))
        return {};
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterW(printer, 5, buffer.data(), needed, &needed)) return {};
    PRINTER_INFO_5W info;
    std::memcpy(&info, buffer.data(), sizeof info);
    return info.pPortName ? std::u16string(info.pPortName) : std::u16string();
}

// A number stored in a settings field of up to four bytes (little-endian), or 0.
LONG FieldNumber(XprTable* table, LPCWSTR column) {
    void* value = nullptr;
    if (GetValuePtr(table, column, &value) != 0 || !value) return 0;
    const WORD size = GetValueSize(table, column);
    DWORD number = 0;
    std::memcpy(&number, value, std::min<size_t>(size, sizeof number));
    return static_cast<LONG>(number);
}

}  // namespace

BYTE QORVASystemFunc::ReadFormAssign() {
    BYTE value = 0;
    if (!m_settings ||
        FAILED(m_settings->GetFieldValue(nullptr, u"_FORMASSIGN", &value, sizeof value, SETTINGS_SELECT_PRINTER)))
        return 0;
    return value;
}

void QORVASystemFunc::AddRemap(LONG deviceId, LONG newId) {
    if (m_remapCount >= PAPER_REMAP_PAIRS) return;
    m_remap[m_remapCount++] = PaperIdRemap{deviceId, newId};
}

LONG QORVASystemFunc::MediaTypeByText(std::u16string_view text, LONG fallback) {
    if (!m_printerFeature || !m_resources || text.empty()) return fallback;
    XprTable* row = nullptr;
    if (FetchRow(m_printerFeature, u"PRINTERFEATURE", &row, u"FORMSIZE_COMBO") != 0) return fallback;
    XprTable* option = nullptr;
    while (FetchRow(m_printerFeature, u"OPTION", &option, nullptr) == 0) {
        // The option's text as the sheet shows it: the string of its id, else its own text.
        WCHAR name[64] = {};
        const DWORD id = static_cast<DWORD>(FieldNumber(option, u"ITEMTEXTID"));
        std::u16string shown;
        if (id != 0 && SUCCEEDED(m_resources->LoadString(id, name, 64))) {
            name[63] = 0;
            shown = name;
        } else {
            LPCWSTR own = nullptr;
            if (GetValue(option, &own, sizeof own, u"ITEMTEXT") == 0 && own) shown = BlockText(own);
        }
        if (!shown.empty() && text == shown) return FieldNumber(option, u"VALUE");
    }
    return fallback;
}

BOOL QORVASystemFunc::CloneOptParam(POPTITEM destination, POPTITEM source, WORD idCapability, WORD nameCapability,
                                    DWORD nameWidth, LONG firstValue) {
    if (!destination || !source || !source->pOptType || !destination->pOptType) return FALSE;
    const OPTTYPE& from = *source->pOptType;
    const bool papers = idCapability == DC_PAPERS;
    const size_t count = from.pOptParam ? from.Count : 0;
    const size_t slots = count + (papers ? kPaperListRoom : 0);
    auto* options = static_cast<POPTPARAM>(Allocate(std::max<size_t>(slots, 1) * sizeof(OPTPARAM)));
    if (!options) return FALSE;
    if (count) std::memcpy(options, from.pOptParam, count * sizeof(OPTPARAM));
    for (size_t i = count; i < slots; ++i) {
        options[i].cbSize = sizeof(OPTPARAM);
        options[i].Flags = OPTPF_HIDE;
    }
    // Texts of a paper list get a block of their own, so that the list outlives its source's.
    LPWSTR texts = nullptr;
    if (papers && count) {
        texts = static_cast<LPWSTR>(Allocate(count * nameWidth * sizeof(WCHAR)));
        if (!texts || nameWidth == 0) {
            Free(texts);
            Free(options);
            return FALSE;
        }
    }

    const std::u16string port = PortOf(m_printer);
    DeviceList device;
    // Only paper lists feed the remap table, and only the first that changes an id: the paper
    // items translate with it, and further copies of the same list would only repeat its pairs.
    const bool recordPairs = papers && m_remapCount == 0;
    if (ReadDeviceList(m_printerName, port.empty() ? nullptr : port.c_str(), idCapability, nameCapability, nameWidth,
                       &device)) {
        const BYTE formAssign = papers ? ReadFormAssign() : 0;
        for (size_t i = 0; i < count; ++i) {
            OPTPARAM& option = options[i];
            const std::u16string_view text = OptionText(option);
            size_t match = device.count;
            for (size_t d = 0; d < device.count && !text.empty(); ++d) {
                if (NameField(device.names, d, nameWidth) == text) {
                    match = d;
                    break;
                }
            }
            if (match == device.count) {
                // The device does not offer it: neither list shows it.
                option.Flags |= OPTPF_HIDE;
                from.pOptParam[i].Flags |= OPTPF_HIDE;
                continue;
            }
            const LONG deviceId = device.ids[match];
            LONG id = deviceId;
            if (papers) {
                const std::u16string name(text);
                if (const QORVAPrinterForm stored(m_printer, name.c_str()); stored) {
                    FORM_INFO_1W form = stored.info();
                    if (form.Flags == FORM_PRINTER && form.ImageableArea.left == 0) {
                        SHORT sized = 0;
                        CoDrvSettings::PaperIdFromFormSize(&form.Size, &sized);
                        id = sized;
                    } else if (form.Flags == FORM_USER) {
                        const bool registered = ReadCustomMediaMark(form.pName) != 0;
                        if (formAssign != 0 || !InDeviceRange(form.Size) || !registered) {
                            if (formAssign == 0 && InDeviceRange(form.Size))
                                DebugTrace(2, u"%s: [%s] is not my registered custom media, skip...\n",
                                           u"QORVASystemFunc::CloneOptParam", name.c_str());
                            option.Flags |= OPTPF_HIDE;
                            id = -1;
                        }
                    }
                }
            }
            if (id != -1) option.lParam = id;
            if (recordPairs && id != deviceId) AddRemap(deviceId, id);
        }
    } else {
        const bool byText = idCapability == DC_MEDIATYPES && ReadFormAssign() == 1;
        for (size_t i = 0; i < count; ++i) {
            const LONG numbered = firstValue + static_cast<LONG>(i);
            options[i].lParam = byText && i > 0 ? MediaTypeByText(OptionText(options[i]), numbered) : numbered;
        }
    }

    if (texts) {
        for (size_t i = 0; i < count; ++i) {
            const std::u16string_view text = OptionText(options[i]);
            LPWSTR slot = texts + i * nameWidth;
            std::copy_n(text.begin(), std::min<size_t>(text.size(), nameWidth - 1), slot);
            // A resource id stays an id: only texts move into the block.
            if (!text.empty() || reinterpret_cast<ULONG_PTR>(options[i].pData) > 0xFFFF) options[i].pData = slot;
        }
    }
    OPTTYPE& to = *destination->pOptType;
    to = from;
    to.pOptParam = options;
    to.Count = static_cast<WORD>(count);
    return TRUE;
}
