// A model's resource library as the platform reads it: the PE image's resource tree, string
// tables, the version block and dialog templates, each found and read through the module handle.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <palvex/library_entry.h>
#include <win/windows.h>

#include "user/dialog_template.h"
#include "fuzz_machine.h"

namespace {

void ReadResources(HMODULE module) {
    WCHAR text[64];
    for (UINT id : {0u, 1u, 15u, 16u, 100u, 1000u, 62601u})
        LoadStringW(module, id, text, 64);
    for (WORD language : {WORD(0x0409), WORD(0x0411)}) {
        for (WORD name = 1; name <= 3; ++name) {
            if (HRSRC found = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(name), language)) {
                const void* bytes = LockResource(LoadResource(module, found));
                palvex::dlg::DialogTemplate dialog;
                if (bytes) palvex::dlg::ParseDialogTemplate(bytes, SizeofResource(module, found), &dialog);
            }
        }
        if (HRSRC found = FindResourceExW(module, RT_VERSION, MAKEINTRESOURCEW(1), language)) {
            const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
            const DWORD size = SizeofResource(module, found);
            if (!bytes) continue;
            // VerQueryValueW reads a copy, as GetFileVersionInfoW hands it one: a root no longer
            // than the copy (the query has no size of its own to go by).
            std::vector<BYTE> block(bytes, bytes + size);
            if (block.size() < 2) continue;
            WORD root = 0;
            std::memcpy(&root, block.data(), sizeof root);
            if (root > block.size()) {
                root = static_cast<WORD>(std::min<size_t>(block.size(), 0xFFFF));
                std::memcpy(block.data(), &root, sizeof root);
            }
            for (const char16_t* path : {u"\\", u"\\VarFileInfo\\Translation",
                                         u"\\StringFileInfo\\040904B0\\FileVersion",
                                         u"\\StringFileInfo\\041104B0\\ProductName"}) {
                void* value = nullptr;
                UINT length = 0;
                VerQueryValueW(block.data(), path, &value, &length);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::UseOwnMachine();
    // The image stands for a library loaded at this harness's own address.
    HMODULE module = palvex::AttachLibrary(reinterpret_cast<const void*>(&LLVMFuzzerTestOneInput), data, size);
    if (!module) std::abort();
    ReadResources(module);
    palvex::DetachLibrary(module);
    return 0;
}
