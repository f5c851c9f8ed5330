// Edits of the entry list for the running Windows version: "*EXCLUDE" blocks disable entries,
// "*INJECTION" blocks merge entries into other blocks. Each applies when its value names the
// system ("WINXP", ...), "32BIT" (every build) or "ALL"; on a system none of the names fits,
// nothing applies.
#include <string>
#include <vector>

#include "xpcimpl.h"

namespace xpc {
namespace {

// The keyword an "*EXCLUDETYPE" or "*KEY" value names.
std::u16string KeywordOf(const std::u16string& value) {
    std::u16string keyword = !value.empty() && value[0] == u'*' ? value : u"*" + value;
    return keyword.substr(0, kMaxKeyword);
}

std::vector<std::u16string> Selectors(const std::u16string& system) {
    return {system, u"32BIT", u"ALL"};
}

// The entries directly in owner's block.
std::vector<Entry*> Children(const EntryList& list, const Entry* owner) {
    std::vector<Entry*> children;
    for (Entry* child = FindIn(list, owner, u"", owner->m_depth + 1); child;
         child = FindIn(list, owner, u"", owner->m_depth + 1, nullptr, child))
        children.push_back(child);
    return children;
}

// Merges the block of source into target's block: an entry the target's block has already (same
// keyword and value) takes the source entry's block in turn; any other entry is copied, with its
// own block, directly behind the target.
void InjectInfo(EntryList& list, const Entry* source, Entry* target) {
    const int depth = target->m_depth + 1;
    if (depth > 255) return;
    for (const Entry* entry : Children(list, source)) {
        if (Entry* existing = FindIn(list, target, entry->m_keyword, depth, &entry->m_value)) {
            InjectInfo(list, entry, existing);
            continue;
        }
        std::vector<const Entry*> block;
        for (const Entry* inner = entry->m_next; inner && inner->m_depth > entry->m_depth; inner = inner->m_next)
            block.push_back(inner);
        Entry* at = list.InsertAfter(target, entry->m_keyword, entry->m_value, static_cast<BYTE>(depth));
        for (const Entry* inner : block) {
            const int innerDepth = inner->m_depth - entry->m_depth + depth;
            if (innerDepth > 255) break;
            at = list.InsertAfter(at, inner->m_keyword, inner->m_value, static_cast<BYTE>(innerDepth));
        }
    }
}

// Calls use with each option (optionKeyword, one level in) of each block (blockKeyword, top
// level) whose value names the running system; unknownSystem's report when no name fits it.
template <class Use>
DWORD ForEachSystemOption(Context& context, const char16_t* blockKeyword, const char16_t* optionKeyword,
                          DWORD unknownSystem, Use use) {
    const std::u16string system = SystemSelector();
    if (system.empty()) return Report(unknownSystem);
    const EntryList& list = context.m_entries;
    for (const std::u16string& selector : Selectors(system)) {
        for (const Entry* block = FindIn(list, nullptr, blockKeyword, 0, &selector); block;
             block = FindIn(list, nullptr, blockKeyword, 0, &selector, block)) {
            for (const Entry* option = FindIn(list, block, optionKeyword, 1); option;
                 option = FindIn(list, block, optionKeyword, 1, nullptr, option))
                use(option);
        }
    }
    return 0;
}

}  // namespace

std::u16string SystemSelector() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return {};
    struct Known {
        DWORD major, minor;
        const char16_t* name;
    };
    constexpr Known kKnown[] = {{5, 0, u"WIN2K"}, {5, 1, u"WINXP"}, {5, 2, u"WIN2003"}, {6, 0, u"WINVISTA"}, {6, 1, u"WIN7"}};
    for (const Known& known : kKnown)
        if (version.dwMajorVersion == known.major && version.dwMinorVersion == known.minor) return known.name;
    return {};
}

DWORD ApplyExclusions(Context& context) {
    return ForEachSystemOption(context, u"*EXCLUDE", u"*EXCLUDEOPTION", XPC_UNKNOWN_OS_EXCLUDE, [&](const Entry* option) {
        EntryList& list = context.m_entries;
        const Entry* type = FindIn(list, option, u"*EXCLUDETYPE", 2);
        const Entry* name = FindIn(list, option, u"*EXCLUDENAME", 2);
        if (!type || !name) return;
        if (Entry* target = FindIn(list, nullptr, KeywordOf(type->m_value), -1, &name->m_value))
            target->m_keyword[0] = u'x';
    });
}

DWORD ApplyInjections(Context& context) {
    return ForEachSystemOption(context, u"*INJECTION", u"*INJECTOPTION", XPC_UNKNOWN_OS_INJECT, [&](const Entry* option) {
        EntryList& list = context.m_entries;
        const Entry* key = FindIn(list, option, u"*KEY", 2);
        const Entry* value = FindIn(list, option, u"*VALUE", 2);
        if (!key || !value) return;
        Entry* target = FindIn(list, nullptr, KeywordOf(key->m_value), -1, &value->m_value);
        if (!target) return;
        for (const Entry* info = FindIn(list, option, u"*INJECTINFO", 2); info;
             info = FindIn(list, option, u"*INJECTINFO", 2, nullptr, info))
            InjectInfo(list, info, target);
    });
}

}  // namespace xpc
