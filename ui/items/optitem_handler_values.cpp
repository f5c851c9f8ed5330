// The handler base: values. An option's lParam is its value when bits 16 and up are clear, else
// the address of its value (a u32) or of its text; the selection of a value item is the value.
#include "handler_factory.h"
#include "optitem_handler.h"

bool QORVAOptItemHandler::IsValueItem() {
    if (m_alternate) return false;
    if (Type() == TVOT_CHKBOX) return true;
    return m_key < 100 || m_key > 0x7FFFFFFFu || m_group != 0;
}

namespace {

// The value an option's lParam stands for: itself, the text it points to, or the u32 behind it.
LONG_PTR ValueBehind(LPARAM param, const OPTPARAM* option) {
    const auto raw = static_cast<ULONG_PTR>(param);
    if (!IsAddressValue(raw)) return param;
    if (option && reinterpret_cast<ULONG_PTR>(option->pData) == raw) return param;
    return static_cast<LONG_PTR>(*reinterpret_cast<const DWORD*>(raw));
}

// Whether an option holds value: the same small value, the same text address, or a u32 behind
// its address equal to the value's low 32 bits (values outside 32 bits match no u32).
bool OptionMatches(LPARAM param, const OPTPARAM* option, LONG_PTR value) {
    const auto raw = static_cast<ULONG_PTR>(param);
    if (!IsAddressValue(raw) || (option && reinterpret_cast<ULONG_PTR>(option->pData) == raw)) return param == value;
    if (value < -0x80000000LL || value > 0xFFFFFFFFLL) return false;
    return *reinterpret_cast<const DWORD*>(raw) == static_cast<DWORD>(value);
}

}  // namespace

void QORVAOptItemHandler::SetValue(LONG_PTR value, QORVAOptItemDlgLink* link) {
    if (IsValueItem()) {
        SetCurSel(value, link);
        return;
    }
    for (LONG i = 0; i < GetOptionCount(); ++i) {
        DWORD visible = 0;
        const LPARAM param = GetOptionParam(i, &visible);
        if (!visible) continue;
        if (OptionMatches(param, OptionAt(i), value)) {
            SetCurSel(i, link);
            return;
        }
    }
}

LONG_PTR QORVAOptItemHandler::GetOptionValue(LONG index, QORVAOptItemDlgLink*) {
    if (IsValueItem()) return index;
    return ValueBehind(GetOptionParam(index, nullptr), OptionAt(index));
}

LONG_PTR QORVAOptItemHandler::GetSelValue(QORVAOptItemDlgLink* link, DWORD* isText) {
    if (isText) *isText = 0;
    const LONG_PTR selection = RawSel();
    if (SelIsText()) return selection;
    const LONG_PTR value = GetOptionValue(static_cast<LONG>(selection), link);
    const POPTPARAM option = OptionAt(static_cast<LONG>(selection));
    if (isText && option && option->pData && IsAddressValue(static_cast<ULONG_PTR>(value)) &&
        reinterpret_cast<LONG_PTR>(option->pData) == value)
        *isText = 1;
    return value;
}

void QORVAOptItemHandler::GetValue(QORVAOptItemDlgLink*, LONG_PTR* value, DWORD* isText) {
    LONG_PTR result = 0;
    DWORD text = 0;
    const LONG_PTR selection = RawSel();
    if (SelIsText()) {
        text = 1;
    } else if (IsValueItem()) {
        result = selection;
    } else {
        const LONG index = static_cast<LONG>(selection);
        const LPARAM param = GetOptionParam(index, nullptr);
        const POPTPARAM option = OptionAt(index);
        result = ValueBehind(param, option);
        // The option's own text is the value: handed out as the text.
        if (IsAddressValue(static_cast<ULONG_PTR>(param)) && option && reinterpret_cast<LPARAM>(option->pData) == param)
            text = 1;
    }
    if (value) *value = result;
    if (isText) *isText = text;
}
