// Bitmaps, cursors, icons and raw data of the resource provider.
#include <cstring>
#include <new>

#include "coresources_impl.h"

namespace {

constexpr DWORD kMaxResourceId = 65535;
constexpr DWORD kIconVersion = 0x00030000;
constexpr size_t kGroupHeaderBytes = 6;
constexpr size_t kGroupEntryBytes = 14;

bool ValidId(DWORD id) {
    return id != 0 && id <= kMaxResourceId;
}

// A group directory whose entries all lie within its bytes.
bool GroupDirectoryFits(const BYTE* bytes, DWORD size) {
    if (!bytes || size < kGroupHeaderBytes) return false;
    WORD count = 0;
    std::memcpy(&count, bytes + 4, sizeof(count));
    return size >= kGroupHeaderBytes + size_t{count} * kGroupEntryBytes;
}

}  // namespace

STDMETHODIMP CoResources::LoadBitmap(DWORD id, HBITMAP* bitmap) {
    if (!ValidId(id) || !bitmap) return E_INVALIDARG;
    *bitmap = nullptr;
    if (!m_resourceLibrary) return E_FAIL;
    *bitmap = LoadBitmapW(m_resourceLibrary, MAKEINTRESOURCEW(id));
    if (!*bitmap && ResourcesOwnModule()) *bitmap = LoadBitmapW(ResourcesOwnModule(), MAKEINTRESOURCEW(id));
    return S_OK;
}

STDMETHODIMP CoResources::LoadCursor(DWORD id, HCURSOR* cursor) {
    if (!ValidId(id) || !cursor) return E_INVALIDARG;
    *cursor = nullptr;
    if (!m_resourceLibrary) return E_FAIL;
    *cursor = LoadCursorW(m_resourceLibrary, MAKEINTRESOURCEW(id));
    if (!*cursor && ResourcesOwnModule()) *cursor = LoadCursorW(ResourcesOwnModule(), MAKEINTRESOURCEW(id));
    return S_OK;
}

STDMETHODIMP_(HBITMAP) CoResources::GetBitmap(DWORD id) {
    HBITMAP bitmap = nullptr;
    return SUCCEEDED(LoadBitmap(id, &bitmap)) ? bitmap : nullptr;
}

STDMETHODIMP_(HCURSOR) CoResources::GetCursor(DWORD id) {
    HCURSOR cursor = nullptr;
    return SUCCEEDED(LoadCursor(id, &cursor)) ? cursor : nullptr;
}

STDMETHODIMP_(HICON) CoResources::GetIcon(DWORD id, DWORD size) {
    HICON icon = nullptr;
    return SUCCEEDED(LoadIcon(id, size, &icon)) ? icon : nullptr;
}

STDMETHODIMP CoResources::LoadIcon(DWORD id, DWORD size, HICON* icon) {
    if (!ValidId(id) || size == 0 || size > 0x7FFF || !icon) return E_INVALIDARG;
    *icon = nullptr;
    for (const Language& language : m_languages) {
        for (const IconCacheEntry& cached : m_icons) {
            if (cached.m_language == language.m_language && cached.m_id == id && cached.m_size == size) {
                *icon = cached.m_icon;
                return S_OK;
            }
        }
        HMODULE module = nullptr;
        HRSRC group = nullptr;
        for (HMODULE candidate : {m_resourceLibrary, ResourcesOwnModule()}) {
            if (candidate && (group = FindResourceExW(candidate, RT_GROUP_ICON, MAKEINTRESOURCEW(id), language.m_language))) {
                module = candidate;
                break;
            }
        }
        if (!group) continue;
        auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
        if (!GroupDirectoryFits(directory, SizeofResource(module, group))) return E_INVALIDARG;
        const int imageId = LookupIconIdFromDirectoryEx(directory, TRUE, int(size), int(size), LR_DEFAULTCOLOR);
        if (imageId == 0) return E_INVALIDARG;
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(imageId), RT_ICON);
        auto* bits = image ? static_cast<BYTE*>(LockResource(LoadResource(module, image))) : nullptr;
        HICON made = bits ? CreateIconFromResourceEx(bits, SizeofResource(module, image), TRUE, kIconVersion, int(size),
                                                     int(size), LR_DEFAULTCOLOR)
                          : nullptr;
        if (!made) continue;
        // The cache keeps a copy, which it owns; the icon made here is not needed further.
        HICON copy = CopyIcon(made);
        DestroyIcon(made);
        if (!copy) return E_OUTOFMEMORY;
        try {
            m_icons.push_back({language.m_language, id, copy, size});
        } catch (const std::bad_alloc&) {
            DestroyIcon(copy);
            return E_OUTOFMEMORY;
        }
        *icon = copy;
        return S_OK;
    }
    return E_INVALIDARG;
}

STDMETHODIMP_(LPVOID) CoResources::GetRCData(DWORD id) {
    LPVOID data = nullptr;
    return SUCCEEDED(LoadRCData(id, &data, nullptr)) ? data : nullptr;
}

STDMETHODIMP CoResources::LoadRCData(DWORD id, LPVOID* data, DWORD* size) {
    if (!ValidId(id) || !data) return E_INVALIDARG;
    *data = nullptr;
    if (size) *size = 0;
    if (!m_resourceLibrary) return E_FAIL;
    HMODULE module = nullptr;
    HRSRC resource = FindInLanguages(RT_RCDATA, MAKEINTRESOURCEW(id), &module, nullptr);
    if (!resource) return E_INVALIDARG;
    *data = LockResource(LoadResource(module, resource));
    if (!*data) return E_FAIL;
    if (size) *size = SizeofResource(module, resource);
    return S_OK;
}
