// Stored watermarks and stored document settings: the OPTION rows of the WATERMARKSETTINGS and
// DOCUMENTSETTINGS blocks, one option of the item per row (its name in _TEXT, the item's own
// 8-byte persist value in _PERSIST), and a stored watermark's fields handed to the items that
// DIALOGIDS names.
#include <algorithm>
#include <cstring>
#include <vector>

#include "items/system_func.h"

namespace {

constexpr char16_t kOptionTable[] = u"OPTION";
constexpr char16_t kTextColumn[] = u"_TEXT";
constexpr char16_t kPersistColumn[] = u"_PERSIST";
constexpr char16_t kDialogIdsColumn[] = u"DIALOGIDS";

// The stored text of a CHAR field as a string, read no further than the field: a text that fills
// its field has no NUL of its own.
std::u16string FieldText(XprTable* table, LPCWSTR column) {
    void* value = nullptr;
    if (GetValuePtr(table, column, &value) != 0 || !value) return {};
    if (GetValueKind(table, column) != XprColumnKind::CHAR) return {};
    const size_t units = GetValueSize(table, column) / sizeof(WCHAR);
    std::u16string text(units, u'\0');
    std::memcpy(text.data(), value, units * sizeof(WCHAR));
    text.resize(std::find(text.begin(), text.end(), u'\0') - text.begin());
    return text;
}

// Binds the block's first row; the OPTION rows then follow that row.
bool BindRoot(XprStore* store, LPCWSTR table) {
    if (!store || !store->m_root) return false;
    XprTable* root = nullptr;
    return FetchRow(store, table, &root, nullptr) == 0;
}

// Moves *cursor to the next OPTION row of the bound root row.
bool NextOption(XprStore* store, XprTable** cursor) {
    return FetchRow(store, kOptionTable, cursor, nullptr) == 0;
}

}  // namespace

DWORD QORVASystemFunc::LoadStoredOptions(XprStore* store, LPCWSTR table, POPTITEM item, LPWSTR** persist) {
    if (!item || !item->pOptType || !persist || !BindRoot(store, table)) return 0;
    size_t rows = 0;
    for (XprTable* option = nullptr; NextOption(store, &option);) ++rows;
    if (rows == 0 || rows > 0xFFFF) return 0;

    auto* values = static_cast<LPWSTR*>(Allocate(rows * sizeof(LPWSTR)));
    auto* options = static_cast<POPTPARAM>(Allocate(rows * sizeof(OPTPARAM)));
    std::vector<LPWSTR> texts(rows, nullptr);
    bool complete = values && options;
    XprTable* option = nullptr;
    for (size_t i = 0; complete && i < rows && NextOption(store, &option); ++i) {
        const WORD fieldBytes = GetValueSize(option, kTextColumn);
        // One unit more than the field, so the copy always ends with a NUL.
        texts[i] = static_cast<LPWSTR>(Allocate(fieldBytes + sizeof(WCHAR)));
        if (!texts[i]) {
            complete = false;
            break;
        }
        const std::u16string text = FieldText(option, kTextColumn);
        OPTPARAM& param = options[i];
        param.cbSize = sizeof(OPTPARAM);
        param.pData = texts[i];
        param.lParam = reinterpret_cast<LPARAM>(texts[i]);
        if (text.empty()) {
            param.Flags |= OPTPF_HIDE;
            continue;
        }
        std::copy(text.begin(), text.end(), texts[i]);
        GetValue(option, &values[i], sizeof values[i], kPersistColumn);
    }
    if (!complete) {
        for (LPWSTR text : texts) Free(text);
        Free(options);
        Free(values);
        return 0;
    }
    FreeOptions(item->pOptType);
    item->pOptType->pOptParam = options;
    item->pOptType->Count = static_cast<WORD>(rows);
    *persist = values;
    return static_cast<DWORD>(rows);
}

DWORD QORVASystemFunc::SaveStoredOptions(XprStore* store, LPCWSTR table, POPTITEM item, LPWSTR* persist,
                                         DWORD count) {
    if (!item || !item->pOptType || !BindRoot(store, table)) return 0;
    const POPTTYPE type = item->pOptType;
    DWORD written = 0;
    XprTable* option = nullptr;
    while (written < count && NextOption(store, &option)) {
        const DWORD i = written++;
        const WORD fieldBytes = GetValueSize(option, kTextColumn);
        std::vector<WCHAR> field(fieldBytes / sizeof(WCHAR) + 1, 0);
        if (persist && persist[i]) SetValue(option, &persist[i], sizeof persist[i], kPersistColumn);
        const OPTPARAM* param = type->pOptParam && i < type->Count ? &type->pOptParam[i] : nullptr;
        if (param && !(param->Flags & OPTPF_HIDE) && reinterpret_cast<ULONG_PTR>(param->pData) > 0xFFFF &&
            field.size() > 1) {
            // The text keeps a NUL inside the field, so whoever reads it finds its end.
            const std::u16string_view text(param->pData);
            std::copy_n(text.begin(), std::min(text.size(), field.size() - 2), field.begin());
        }
        SetValue(option, field.data(), fieldBytes, kTextColumn);
    }
    return written;
}

DWORD QORVASystemFunc::LoadWatermarkSettings(POPTITEM item, LPWSTR** persist) {
    return LoadStoredOptions(m_watermarkSettings, u"WATERMARKSETTINGS", item, persist);
}

DWORD QORVASystemFunc::LoadDocumentSettings(POPTITEM item, LPWSTR** persist) {
    return LoadStoredOptions(m_documentSettings, u"DOCUMENTSETTINGS", item, persist);
}

DWORD QORVASystemFunc::SaveWatermarkSettings(POPTITEM item, LPWSTR* persist, DWORD count) {
    return SaveStoredOptions(m_watermarkSettings, u"WATERMARKSETTINGS", item, persist, count);
}

DWORD QORVASystemFunc::SaveDocumentSettings(POPTITEM item, LPWSTR* persist, DWORD count) {
    return SaveStoredOptions(m_documentSettings, u"DOCUMENTSETTINGS", item, persist, count);
}

BOOL QORVASystemFunc::LoadWatermarkDialogIds(DWORD index) {
    XprStore* store = m_watermarkSettings;
    if (!store || !store->m_root) return FALSE;
    XprTable* root = nullptr;
    if (FetchRow(store, u"WATERMARKSETTINGS", &root, nullptr) != 0) return FALSE;
    std::vector<WORD> ids(GetValueSize(root, kDialogIdsColumn) / sizeof(WORD));
    if (!ids.empty()) GetValue(root, ids.data(), static_cast<DWORD>(ids.size() * sizeof(WORD)), kDialogIdsColumn);

    XprTable* option = nullptr;
    for (DWORD i = 0; i <= index; ++i) {
        if (!NextOption(store, &option)) return FALSE;
    }
    const bool named = !FieldText(option, kTextColumn).empty();
    if (named && m_itemTarget && SelectColumn(option, kTextColumn) == 0) {
        size_t next = 0;
        for (WORD column = static_cast<WORD>(option->m_currentColumn + 1);
             column < option->m_columnCount && next < ids.size(); ++column) {
            const WORD id = ids[next++];
            if (id == 0) continue;
            option->m_currentColumn = column;
            void* value = nullptr;
            if (GetValuePtr(option, nullptr, &value) != 0 || !value) continue;
            const XprColumnKind kind = GetValueKind(option, nullptr);
            const WORD elements = GetValueCount(option, nullptr);
            if (kind == XprColumnKind::STRING) {
                LPCWSTR text = nullptr;
                std::memcpy(&text, value, sizeof text);
                if (text) m_itemTarget->SelectItemString(id, BlockText(text).c_str());
            } else if (kind == XprColumnKind::CHAR && elements >= 2) {
                const std::u16string text = FieldText(option, nullptr);
                m_itemTarget->SelectItemString(id, text.c_str());
            } else if (elements == 1) {
                BYTE bytes[4] = {};
                LONG number = 0;
                switch (kind) {
                case XprColumnKind::BYTE: number = *static_cast<const BYTE*>(value); break;
                case XprColumnKind::CHAR:  // a single character is handed over as its code
                case XprColumnKind::WORD: {
                    WORD word = 0;
                    std::memcpy(&word, value, sizeof word);
                    number = word;
                    break;
                }
                case XprColumnKind::SHORT: {
                    SHORT word = 0;
                    std::memcpy(&word, value, sizeof word);
                    number = word;
                    break;
                }
                case XprColumnKind::DWORD:
                case XprColumnKind::LONG:
                case XprColumnKind::COLORREF:
                    std::memcpy(bytes, value, sizeof bytes);
                    std::memcpy(&number, bytes, sizeof number);
                    break;
                default: continue;
                }
                m_itemTarget->SetItemValue(id, number);
            }
        }
    }
    return named ? TRUE : FALSE;
}
