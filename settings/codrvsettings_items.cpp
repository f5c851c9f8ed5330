// Option items and settings fields: each item names its field by the settings key that its
// UserData record carries; values move between the item's selection and the field.
#include <algorithm>
#include <cstring>
#include <string_view>

#include <win/unidrv_userdata.h>

#include "ansitext.h"
#include "codrvsettings.h"
#include "xprimpl.h"

namespace {

// The field name of an item: the text after the last '.' of its settings key; null without key.
LPCWSTR FieldNameOf(const OPTITEM& item) {
    const auto* record = reinterpret_cast<const USERDATA*>(item.UserData);
    if (!record || !record->pKeyWordName || !record->pKeyWordName[0]) return nullptr;
    const std::u16string_view key(record->pKeyWordName);
    const size_t dot = key.find_last_of(u'.');
    LPCWSTR name = dot == std::u16string_view::npos ? record->pKeyWordName : record->pKeyWordName + dot + 1;
    return name[0] ? name : nullptr;
}

// The characters the item's edit buffer holds, its terminating NUL included (0: unknown).
size_t EditCapacity(const OPTITEM& item) {
    const OPTTYPE* type = item.pOptType;
    if (!item.pSel || !type || type->Count < 2 || !type->pOptParam) return 0;
    return type->pOptParam[1].IconID;
}

// Whether an option's value is held behind lParam (a pointer) rather than in it.
bool ValueBehind(const OPTPARAM& option) {
    return ((static_cast<ULONG_PTR>(option.lParam) >> 16) & 0xFFFF) != 0;
}

// Whether an option's value equals the field's bytes. behind: the list holds its values behind
// lParam (decided by its first option); an option whose own lParam cannot be an address (a value
// the list made when it could not copy one) is compared as it stands. Texts compare up to their NUL.
bool OptionMatches(const OPTPARAM& option, bool behind, const BYTE* field, DWORD size, XprColumnKind kind) {
    if (!behind || !ValueBehind(option)) {
        BYTE held[sizeof(LPARAM)];
        std::memcpy(held, &option.lParam, sizeof held);
        for (DWORD i = 0; i < size; ++i)
            if (field[i] != (i < sizeof held ? held[i] : 0)) return false;
        return true;
    }
    const auto* value = reinterpret_cast<const BYTE*>(option.lParam);
    if (kind == XprColumnKind::CHAR) {
        const size_t units = size / sizeof(WCHAR);
        std::u16string fieldCopy(units, u'\0');
        std::memcpy(fieldCopy.data(), field, units * sizeof(WCHAR));
        return FieldText(fieldCopy.c_str(), units) == FieldText(reinterpret_cast<const WCHAR*>(value), units + 1);
    }
    return std::memcmp(field, value, size) == 0;
}

}  // namespace

HRESULT CoDrvSettings::ItemsRecord(POPTITEM items, DWORD count, PVOID devmode, PVOID* record) const {
    if (!items || !count) return E_INVALIDARG;
    if (m_mode == SETTINGS_MODE_DOCUMENT && !devmode) return E_INVALIDARG;
    if (m_mode != SETTINGS_MODE_DOCUMENT && m_mode != SETTINGS_MODE_PRINTER) return E_FAIL;
    *record = m_mode == SETTINGS_MODE_DOCUMENT ? devmode : PrinterRecord();
    return *record ? S_OK : E_FAIL;
}

LPCWSTR CoDrvSettings::LocateItemField(PVOID record, const OPTITEM& item, FieldPlace* field) {
    const LPCWSTR name = FieldNameOf(item);
    if (!name || !item.pOptType || FAILED(LocateField(record, name, SETTINGS_SELECT_OWN, field)) ||
        GetValueSize(field->m_table, nullptr) == 0 || field->m_size == 0)
        return nullptr;
    return name;
}

HRESULT CoDrvSettings::GetOptItems(POPTITEM items, DWORD count, PVOID devmode) {
    PVOID record = nullptr;
    if (const HRESULT result = ItemsRecord(items, count, devmode, &record); FAILED(result)) return result;

    for (DWORD i = 0; i < count; ++i) {
        OPTITEM& item = items[i];
        FieldPlace field;
        const LPCWSTR name = LocateItemField(record, item, &field);
        if (!name) continue;
        const BYTE* value = field.m_address;
        BYTE low[2] = {};
        std::memcpy(low, value, std::min<DWORD>(field.m_size, sizeof low));
        const OPTTYPE& type = *item.pOptType;
        switch (type.Type) {
        case TVOT_UDARROW:
            item.Sel = static_cast<LONG>(static_cast<WORD>(low[0] | low[1] << 8));
            break;
        case TVOT_TRACKBAR:
        case TVOT_SCROLLBAR:
            item.Sel = static_cast<LONG>(static_cast<SHORT>(low[0] | low[1] << 8));
            break;
        case TVOT_EDITBOX: {
            const size_t capacity = EditCapacity(item);
            if (!capacity) break;
            const size_t units = std::min<size_t>(field.m_size / sizeof(WCHAR), capacity);
            std::memcpy(item.pSel, value, units * sizeof(WCHAR));
            if (units == capacity) item.pSel[capacity - 1] = 0;
            else item.pSel[units] = 0;
            break;
        }
        case TVOT_CHKBOX:
            item.Sel = value[0];
            break;
        default: {
            LONG selection = 0;
            if (type.pOptParam && type.Count) {
                const bool behind = ValueBehind(type.pOptParam[0]);
                for (WORD option = 0; option < type.Count; ++option) {
                    const OPTPARAM& param = type.pOptParam[option];
                    if (param.Flags == 0 && OptionMatches(param, behind, value, field.m_size, field.m_kind)) {
                        selection = option;
                        break;
                    }
                }
            }
            item.Sel = selection;
            // The watermark list selects by the stored entry's index when it has one.
            if (std::u16string_view(name) == u"_WMK_TEXT") {
                WORD index = 0;
                if (SUCCEEDED(GetFieldValue(record, u"_WMK_TEXT_IDX", &index, sizeof index, SETTINGS_SELECT_OWN)) && index)
                    item.Sel = index;
            }
            break;
        }
        }
    }
    return S_OK;
}

HRESULT CoDrvSettings::SetOptItems(POPTITEM items, DWORD count, PVOID devmode, HANDLE printer) {
    PVOID record = nullptr;
    if (const HRESULT result = ItemsRecord(items, count, devmode, &record); FAILED(result)) return result;

    for (DWORD i = 0; i < count; ++i) {
        OPTITEM& item = items[i];
        if (!(item.Flags & (OPTIF_CHANGED | OPTIF_CHANGEONCE))) continue;
        FieldPlace field;
        const LPCWSTR name = LocateItemField(record, item, &field);
        if (!name) continue;
        LPCVOID source = nullptr;
        DWORD size = 0;
        const OPTTYPE& type = *item.pOptType;
        switch (type.Type) {
        case TVOT_UDARROW:
        case TVOT_TRACKBAR:
        case TVOT_SCROLLBAR:
        case TVOT_CHKBOX:
            source = &item.Sel;
            size = sizeof item.Sel;
            break;
        case TVOT_EDITBOX: {
            const size_t capacity = EditCapacity(item);
            if (!capacity) continue;
            source = item.pSel;
            size = static_cast<DWORD>(std::min(FieldText(item.pSel, capacity).size() + 1, capacity) * sizeof(WCHAR));
            break;
        }
        default: {
            if (!type.pOptParam || item.Sel < 0 || item.Sel >= type.Count) continue;
            const OPTPARAM& option = type.pOptParam[item.Sel];
            if (!ValueBehind(option)) {
                source = &option.lParam;
                size = sizeof option.lParam;
            } else if (field.m_kind == XprColumnKind::CHAR) {
                const auto* text = reinterpret_cast<const WCHAR*>(option.lParam);
                source = text;
                const size_t units = field.m_size / sizeof(WCHAR);
                size = static_cast<DWORD>(std::min(FieldText(text, units).size() + 1, units) * sizeof(WCHAR));
            } else {
                source = reinterpret_cast<LPCVOID>(option.lParam);
                size = field.m_size;
            }
            break;
        }
        }
        if (FAILED(SetFieldValue(record, name, source, size, SETTINGS_SELECT_OWN))) return E_FAIL;
    }
    if (m_mode == SETTINGS_MODE_PRINTER && printer && printer != INVALID_HANDLE_VALUE) SaveAndMirror(printer);
    return S_OK;
}
