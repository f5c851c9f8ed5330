// XPD descriptions as a data file or an include carries them: read in both syntaxes, macros
// collected, then each declared structure (up to a few) defined, filled and assembled. Whatever
// the compiler assembles must be a block that the settings runtime adopts.
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

#include <win/windows.h>

#include "fuzz_input.h"
#include "xpcimpl.h"
#include "xpr.h"
#include "xprimpl.h"

namespace {

struct StoreHolder {
    XprStore* store = static_cast<XprStore*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(XprStore)));
    ~StoreHolder() {
        if (store->m_block) FreeBlock(store);
        HeapFree(GetProcessHeap(), 0, store);
    }
};

void CompileStruct(xpc::Context& context, const std::u16string& name) {
    xpc::StructDef def;
    bool missingLevel = false;
    const std::u16string model;
    if (xpc::DefineStruct(context, def, name, 0) < KIT_SEVERITY_ERROR &&
        xpc::FillRows(context, def, u"*" + name, 0, &model, nullptr, def.m_forceWrite, nullptr, &missingLevel) <
            KIT_SEVERITY_ERROR &&
        !missingLevel) {
        StoreHolder built;
        if (xpc::AssembleBlock(def, built.store) < KIT_SEVERITY_ERROR &&
            PackTable(built.store, built.store->m_root, FALSE) < KIT_SEVERITY_ERROR) {
            StoreHolder adopted;
            if (AllocBlock(adopted.store, built.store->m_blockSize) >= KIT_SEVERITY_ERROR) std::abort();
            std::memcpy(adopted.store->m_block, built.store->m_block, built.store->m_blockSize);
            if (xpr::AdoptStoredBlock(adopted.store, name.c_str()) >= KIT_SEVERITY_ERROR) std::abort();
        }
    }
    xpc::FreeStructDef(def);
}

// The prelude's entries and macros, made once: every input is read into this context after them,
// and what the input added is removed again before the next one.
struct PreludeContext {
    xpc::Context context;
    xpc::Entry* end = nullptr;  // the prelude's last entry
    size_t macros = 0;          // the prelude's macros

    PreludeContext() {
        xpc::AppendPrelude(context.m_entries);
        end = context.m_entries.tail();
        if (xpc::CollectMacros(context) >= KIT_SEVERITY_ERROR) std::abort();
        macros = context.m_macros.size();
    }

    // Back to the prelude alone: the input's entries, macros, searches, files and libraries go,
    // and no prelude entry stays marked as visited.
    void Reset() {
        context.m_entries.RemoveAfter(end);
        for (xpc::Entry* entry = context.m_entries.head(); entry; entry = entry->m_next) entry->m_visited = false;
        context.m_searches.clear();
        context.m_macros.resize(macros);
        std::erase_if(context.m_macroIndex, [this](const auto& named) { return named.second >= macros; });
        context.m_files.clear();
        context.m_resources.Clear();
        context.m_resources.m_buffer.clear();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static PreludeContext prelude;
    prelude.Reset();
    fuzz::Input input(data, size);
    const bool lenient = input.Byte() & 1;
    const auto bytes = input.Rest();
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    xpc::Context& context = prelude.context;
    // The prelude's own structures compile the same for every input: only the input's are tried.
    const xpc::Entry* preludeEnd = prelude.end;
    if (xpc::ParseText(context, text, lenient, u"fuzz.xpd", 1) >= KIT_SEVERITY_ERROR) return 0;
    if (xpc::CollectMacrosAfter(context, preludeEnd) >= KIT_SEVERITY_ERROR) return 0;
    std::set<std::u16string> names;
    for (const xpc::Entry* entry = xpc::FindIn(context.m_entries, nullptr, u"*XPDSTRUCT", 0, nullptr, preludeEnd); entry && names.size() < 4;
         entry = xpc::FindIn(context.m_entries, nullptr, u"*XPDSTRUCT", 0, nullptr, entry))
        names.insert(entry->m_value);
    for (const auto& name : names) CompileStruct(context, name);
    return 0;
}
