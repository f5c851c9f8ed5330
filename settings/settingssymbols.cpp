#include "settingssymbols.h"

#include <algorithm>
#include <cstring>

#include "ansitext.h"
#include "xprimpl.h"

namespace {

// The current column's symbol.
SettingsSymbol SymbolOfCurrentColumn(XprTable* table) {
    SettingsSymbol symbol;
    const XprColumn* column = GetColumnDesc(table);
    if (!column) return symbol;
    symbol.m_column = xpr::NameCopy(xpr::NameOf(column)).m_text;

    void* value = nullptr;
    if (GetValuePtr(table, nullptr, &value) != 0 || !value) return symbol;
    const XprColumnKind kind = GetValueKind(table, nullptr);
    // Links into the block say nothing about the setting.
    if (kind == XprColumnKind::STRING || kind == XprColumnKind::XPDSTRUCT || kind == XprColumnKind::DYNAMIC)
        return symbol;
    const size_t size = GetValueSize(table, nullptr);
    symbol.m_reachable = true;
    if (kind == XprColumnKind::CHAR) {
        symbol.m_isText = true;
        // Fields of a block are packed: copy the text out before reading it by characters.
        std::u16string text(size / sizeof(WCHAR), u'\0');
        std::memcpy(text.data(), value, text.size() * sizeof(WCHAR));
        symbol.m_text = ToAnsi(FieldText(text.c_str(), text.size()));
        return symbol;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    symbol.m_text = ToAnsi(symbol.m_column) + "_";
    const BYTE* bytes = static_cast<const BYTE*>(value);
    for (size_t i = 0; i < std::min<size_t>(size, SETTINGS_SYMBOL_VALUE_BYTES); ++i) {
        symbol.m_text += kHex[bytes[i] >> 4];
        symbol.m_text += kHex[bytes[i] & 0xF];
    }
    return symbol;
}

}  // namespace

std::vector<SettingsSymbol> MakeSettingsSymbols(XprTable* printerSettings) {
    std::vector<SettingsSymbol> symbols;
    if (!printerSettings || printerSettings->m_currentRow >= printerSettings->m_endRow) return symbols;
    if (SelectColumn(printerSettings, u"_VERSION") != 0) return symbols;
    while (SelectColumn(printerSettings, nullptr) == 0) symbols.push_back(SymbolOfCurrentColumn(printerSettings));
    return symbols;
}
