// The global atom table of the process: texts numbered from 0xC000 up, counted by their adds.
#include <algorithm>
#include <map>
#include <string>
#include <mutex>

#include <win/winuser.h>

#include "crt/utf16.h"
#include "user/window_store.h"

namespace {

constexpr ATOM kFirstStringAtom = 0xC000;

struct AtomTable {
    std::mutex mutex;
    struct Entry {
        std::u16string text;  // as first added
        unsigned count = 0;
    };
    std::map<ATOM, Entry> byAtom;
    std::map<std::u16string, ATOM> byKey;  // upper-cased text
    ATOM next = kFirstStringAtom;
};

AtomTable& Atoms() {
    static auto* table = new AtomTable;  // outlives every static destructor
    return *table;
}

// "#123" names the integer atom 123.
bool IntegerAtom(LPCWSTR text, ATOM* atom) {
    if (IS_INTRESOURCE(text)) {
        *atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(text));
        return true;
    }
    if (text[0] != u'#' || !text[1]) return false;
    unsigned value = 0;
    for (LPCWSTR p = text + 1; *p; ++p) {
        if (*p < u'0' || *p > u'9' || value > 0xFFFF) return false;
        value = value * 10 + (*p - u'0');
    }
    *atom = static_cast<ATOM>(value);
    return value < kFirstStringAtom;
}

}  // namespace

namespace palvex::win {

bool AtomName(ATOM atom, std::u16string* name) {
    AtomTable& table = Atoms();
    std::lock_guard lock(table.mutex);
    auto it = table.byAtom.find(atom);
    if (it == table.byAtom.end()) return false;
    *name = it->second.text;
    return true;
}

}  // namespace palvex::win

ATOM GlobalAddAtomW(LPCWSTR lpString) {
    if (!lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ATOM atom = 0;
    if (IntegerAtom(lpString, &atom)) {
        if (atom == 0 || atom >= kFirstStringAtom) SetLastError(ERROR_INVALID_PARAMETER);
        return atom < kFirstStringAtom ? atom : 0;
    }
    if (!*lpString || palvex::text::Length(lpString) > 255) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    AtomTable& table = Atoms();
    std::lock_guard lock(table.mutex);
    const std::u16string key = palvex::text::Upcase(lpString);
    if (auto it = table.byKey.find(key); it != table.byKey.end()) {
        ++table.byAtom[it->second].count;
        return it->second;
    }
    if (table.byAtom.size() >= 0x10000u - kFirstStringAtom) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    while (table.byAtom.count(table.next)) table.next = table.next == 0xFFFF ? kFirstStringAtom : table.next + 1;
    atom = table.next;
    table.byAtom[atom] = {lpString, 1};
    table.byKey[key] = atom;
    return atom;
}

ATOM GlobalFindAtomW(LPCWSTR lpString) {
    if (!lpString) return 0;
    ATOM atom = 0;
    if (IntegerAtom(lpString, &atom)) return atom < kFirstStringAtom ? atom : 0;
    AtomTable& table = Atoms();
    std::lock_guard lock(table.mutex);
    auto it = table.byKey.find(palvex::text::Upcase(lpString));
    if (it == table.byKey.end()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return it->second;
}

ATOM GlobalDeleteAtom(ATOM nAtom) {
    if (nAtom < kFirstStringAtom) return 0;
    AtomTable& table = Atoms();
    std::lock_guard lock(table.mutex);
    auto it = table.byAtom.find(nAtom);
    if (it == table.byAtom.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nAtom;
    }
    if (--it->second.count > 0) return 0;
    table.byKey.erase(palvex::text::Upcase(it->second.text));
    table.byAtom.erase(it);
    return 0;
}

UINT GlobalGetAtomNameW(ATOM nAtom, LPWSTR lpBuffer, int nSize) {
    if (!lpBuffer || nSize <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string name;
    if (nAtom && nAtom < kFirstStringAtom) {
        name = u"#";
        for (char c : std::to_string(nAtom)) name += static_cast<char16_t>(c);
    } else if (!palvex::win::AtomName(nAtom, &name)) {
        lpBuffer[0] = u'\0';
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const size_t copied = std::min<size_t>(name.size(), static_cast<size_t>(nSize) - 1);
    std::copy_n(name.begin(), copied, lpBuffer);
    lpBuffer[copied] = u'\0';
    return static_cast<UINT>(copied);
}
