// The UI host's list items: orientation, paper source, print quality, colour, duplex, media type
// and toner save. Each option stands for a value the job keeps in its DEVMODE; the item starts on
// the option of the job's value and Apply writes the chosen option's value back.
#include <cstddef>
#include <cstring>

#include <win/winspool_forms.h>

#include "driver_devmode.h"
#include "ui_host.h"

namespace palvex::hosts {

namespace {

// The bin that lets the form pick the tray, and the standard media type: what a printer without a
// list of its own offers.
constexpr LONG kFormSourceBin = 15;       // DMBIN_FORMSOURCE
constexpr LONG kStandardMediaType = 1;    // DMMEDIA_STANDARD
// The toner-save choice: a byte of the driver's own part.
constexpr size_t kTonerSaveByte = 10;

void SetField(DriverChoiceList* list, size_t offset, size_t size, DWORD fieldBit) {
    list->offset = offset;
    list->size = size;
    list->fieldBit = fieldBit;
}

void SetOptions(DriverChoiceList* list, std::vector<std::u16string> names, std::vector<LONG> values, BYTE type) {
    list->names = std::move(names);
    list->values = std::move(values);
    list->options.assign(list->names.size(), OPTPARAM{});
    for (size_t i = 0; i < list->options.size(); ++i) {
        list->options[i].cbSize = sizeof(OPTPARAM);
        list->options[i].pData = list->names[i].data();
        list->options[i].lParam = list->values[i];
    }
    list->type = OPTTYPE{};
    list->type.cbSize = sizeof(OPTTYPE);
    list->type.Type = type;
    list->type.Count = static_cast<WORD>(list->options.size());
    list->type.pOptParam = list->options.data();
}

// The printer's numbers and names of one capability pair (DC_BINS and DC_BINNAMES, or
// DC_MEDIATYPES and DC_MEDIATYPENAMES); false when the printer lists none or they disagree.
bool ReadDeviceChoices(const std::u16string& printer, WORD idCapability, WORD nameCapability, size_t nameChars,
                       std::vector<std::u16string>* names, std::vector<LONG>* values) {
    const int count = DeviceCapabilitiesW(printer.c_str(), nullptr, idCapability, nullptr, nullptr);
    if (count <= 0 || DeviceCapabilitiesW(printer.c_str(), nullptr, nameCapability, nullptr, nullptr) != count)
        return false;
    const size_t idBytes = idCapability == DC_MEDIATYPES ? sizeof(DWORD) : sizeof(WORD);
    std::vector<BYTE> ids(static_cast<size_t>(count) * idBytes);
    std::vector<WCHAR> text(static_cast<size_t>(count) * nameChars, 0);
    if (DeviceCapabilitiesW(printer.c_str(), nullptr, idCapability, reinterpret_cast<LPWSTR>(ids.data()), nullptr) != count ||
        DeviceCapabilitiesW(printer.c_str(), nullptr, nameCapability, text.data(), nullptr) != count)
        return false;
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        DWORD id = 0;
        std::memcpy(&id, ids.data() + i * idBytes, idBytes);
        values->push_back(static_cast<LONG>(id));
        // A name that fills its field has no terminator.
        const WCHAR* field = text.data() + i * nameChars;
        size_t length = 0;
        while (length < nameChars && field[length]) ++length;
        names->emplace_back(field, length);
    }
    return true;
}

}  // namespace

bool UiHost::SheetHolds(const DriverChoiceList& list) const {
    if (m_sheetDevMode.size() < sizeof(DEVMODEW) || m_sheetDevMode.size() < list.offset + list.size) return false;
    // A field of the driver's own part only where the DEVMODE carries this driver's part.
    if (list.offset < sizeof(DEVMODEW)) return true;
    const auto* devmode = reinterpret_cast<const DEVMODEW*>(m_sheetDevMode.data());
    return devmode->dmSize == sizeof(DEVMODEW) && DriverParts(devmode, m_oemSize) != nullptr;
}

void UiHost::MakeChoiceLists() {
    SetOptions(&m_orientations, {u"Portrait", u"Landscape"}, {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE}, TVOT_2STATES);
    SetField(&m_orientations, offsetof(DEVMODEW, dmOrientation), sizeof(short), DM_ORIENTATION);

    std::vector<std::u16string> names;
    std::vector<LONG> values;
    if (!ReadDeviceChoices(m_options.printerName, DC_BINS, DC_BINNAMES, 24, &names, &values)) {
        names = {u"Automatically Select"};
        values = {kFormSourceBin};
    }
    SetOptions(&m_sources, std::move(names), std::move(values), TVOT_LISTBOX);
    SetField(&m_sources, offsetof(DEVMODEW, dmDefaultSource), sizeof(short), DM_DEFAULTSOURCE);

    // The two resolutions the printer prints at; the job's default is the finer.
    SetOptions(&m_qualities, {u"300 dpi", u"600 dpi"}, {300, 600}, TVOT_LISTBOX);
    SetField(&m_qualities, offsetof(DEVMODEW, dmPrintQuality), sizeof(short), DM_PRINTQUALITY);
    m_qualities.fallback = 1;

    SetOptions(&m_colours, {u"Monochrome", u"Color"}, {DMCOLOR_MONOCHROME, DMCOLOR_COLOR}, TVOT_2STATES);
    SetField(&m_colours, offsetof(DEVMODEW, dmColor), sizeof(short), DM_COLOR);

    SetOptions(&m_duplexes, {u"None", u"Flip on Long Edge", u"Flip on Short Edge"},
               {DMDUP_SIMPLEX, DMDUP_VERTICAL, DMDUP_HORIZONTAL}, TVOT_LISTBOX);
    SetField(&m_duplexes, offsetof(DEVMODEW, dmDuplex), sizeof(short), DM_DUPLEX);

    names.clear();
    values.clear();
    if (!ReadDeviceChoices(m_options.printerName, DC_MEDIATYPES, DC_MEDIATYPENAMES, 64, &names, &values)) {
        names = {u"Plain Paper"};
        values = {kStandardMediaType};
    }
    SetOptions(&m_mediaTypes, std::move(names), std::move(values), TVOT_LISTBOX);
    SetField(&m_mediaTypes, offsetof(DEVMODEW, dmMediaType), sizeof(DWORD), DM_MEDIATYPE);

    SetOptions(&m_tonerSave, {u"Off", u"On"}, {0, 1}, TVOT_LISTBOX);
    SetField(&m_tonerSave, sizeof(DEVMODEW) + kTonerSaveByte, 1, 0);
}

DriverChoiceList* UiHost::ChoiceListOf(BYTE dmPubId, WORD helpIndex) {
    if (helpIndex == kTonerSaveHelpIndex) return &m_tonerSave;
    switch (dmPubId) {
    case 1: return &m_orientations;
    case 4: return &m_sources;
    case 5: return &m_qualities;
    case 6: return &m_colours;
    case 7: return &m_duplexes;
    case 12: return &m_mediaTypes;
    default: return nullptr;
    }
}

LONG UiHost::SheetChoice(const DriverChoiceList& list) const {
    if (!SheetHolds(list)) return list.fallback;
    DWORD fields = 0;
    std::memcpy(&fields, m_sheetDevMode.data() + offsetof(DEVMODEW, dmFields), sizeof fields);
    if (list.fieldBit && !(fields & list.fieldBit)) return list.fallback;
    LONG value = 0;
    if (list.size == sizeof(short)) {
        short field = 0;
        std::memcpy(&field, m_sheetDevMode.data() + list.offset, sizeof field);
        value = field;
    } else if (list.size == sizeof(DWORD)) {
        DWORD field = 0;
        std::memcpy(&field, m_sheetDevMode.data() + list.offset, sizeof field);
        value = static_cast<LONG>(field);
    } else {
        value = m_sheetDevMode[list.offset];
    }
    for (size_t i = 0; i < list.values.size(); ++i)
        if (list.values[i] == value) return static_cast<LONG>(i);
    return list.fallback;
}

void UiHost::SaveChoices() {
    for (const auto& [index, list] : m_choiceItems) {
        if (index >= m_items.size() || !SheetHolds(*list)) continue;
        const LONG selection = m_items[index].Sel;
        // A selection the list does not have leaves the job's value alone.
        if (selection < 0 || static_cast<size_t>(selection) >= list->values.size()) continue;
        const LONG value = list->values[static_cast<size_t>(selection)];
        BYTE* field = m_sheetDevMode.data() + list->offset;
        if (list->size == sizeof(short)) {
            const short narrow = static_cast<short>(value);
            std::memcpy(field, &narrow, sizeof narrow);
        } else if (list->size == sizeof(DWORD)) {
            std::memcpy(field, &value, sizeof value);
        } else {
            *field = static_cast<BYTE>(value);
        }
        if (list->fieldBit) {
            DWORD fields = 0;
            std::memcpy(&fields, m_sheetDevMode.data() + offsetof(DEVMODEW, dmFields), sizeof fields);
            fields |= list->fieldBit;
            std::memcpy(m_sheetDevMode.data() + offsetof(DEVMODEW, dmFields), &fields, sizeof fields);
        }
        // The print quality is the resolution both ways.
        if (list == &m_qualities && m_sheetDevMode.size() >= offsetof(DEVMODEW, dmYResolution) + sizeof(short)) {
            const short resolution = static_cast<short>(value);
            std::memcpy(m_sheetDevMode.data() + offsetof(DEVMODEW, dmYResolution), &resolution, sizeof resolution);
        }
    }
}

}  // namespace palvex::hosts
