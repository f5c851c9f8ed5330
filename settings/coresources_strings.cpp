// Strings of the resource provider: string tables, labels, message boxes and the help file.
#include <cstring>
#include <mutex>

#include "coresources_impl.h"
#include "kittrace.h"

namespace {

constexpr DWORD kMaxStringId = 65535;
constexpr DWORD kMessageTextChars = 256;
constexpr DWORD kMessageCaptionChars = 64;
constexpr DWORD kDuplicateChars = 256;
constexpr DWORD kHelpFileNameId = 26000;
constexpr DWORD kHelpFileNameChars = 64;

// The string at index of a string-table block (16 strings, each a WORD count and its characters);
// false when the block ends before it.
bool StringInBlock(const BYTE* block, DWORD size, DWORD index, const WCHAR** text, WORD* length) {
    size_t offset = 0;
    for (DWORD i = 0;; ++i) {
        WORD count = 0;
        if (size - offset < sizeof(count)) return false;
        std::memcpy(&count, block + offset, sizeof(count));
        offset += sizeof(count);
        if ((size - offset) / sizeof(WCHAR) < count) return false;
        if (i == index) {
            *text = reinterpret_cast<const WCHAR*>(block + offset);
            *length = count;
            return true;
        }
        offset += size_t{count} * sizeof(WCHAR);
    }
}

}  // namespace

// A block that holds the string's id but not the string (an empty entry) does not end the search:
// rc fills every block with all sixteen entries, so the string may still stand in a later
// language or in the plug-in's own module.
HRESULT CoResources::FindString(DWORD id, const WCHAR** text, WORD* length) const {
    bool emptyFound = false;
    LPCWSTR block = MAKEINTRESOURCEW(id / 16 + 1);
    for (const Language& entry : m_languages) {
        for (HMODULE module : {m_resourceLibrary, ResourcesOwnModule()}) {
            if (!module) continue;
            HRSRC resource = FindResourceExW(module, RT_STRING, block, entry.m_language);
            if (!resource) continue;
            const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
            const DWORD size = SizeofResource(module, resource);
            if (!bytes || !StringInBlock(bytes, size, id % 16, text, length)) continue;
            if (*length > 0) return S_OK;
            emptyFound = true;
        }
    }
    return emptyFound ? E_FAIL : E_INVALIDARG;
}

STDMETHODIMP CoResources::LoadString(DWORD id, LPWSTR buffer, DWORD length) {
    if (id == 0 || id > kMaxStringId || !buffer || length == 0) return E_INVALIDARG;
    if (!m_resourceLibrary) return E_FAIL;
    const WCHAR* text = nullptr;
    WORD count = 0;
    const HRESULT found = FindString(id, &text, &count);
    if (found == E_INVALIDARG) return E_INVALIDARG;
    if (FAILED(found) || count >= length) {
        // An empty string, or one that would not fit with its terminator: nothing is given.
        buffer[0] = u'\0';
        return E_FAIL;
    }
    std::memcpy(buffer, text, size_t{count} * sizeof(WCHAR));
    buffer[count] = u'\0';
    return S_OK;
}

STDMETHODIMP CoResources::LoadLabelString(DWORD id, LPWSTR buffer, DWORD length) {
    if (!buffer || length == 0) return E_INVALIDARG;
    std::vector<WCHAR> scratch;
    try {
        scratch.assign(length, u'\0');
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = LoadString(id, scratch.data(), length);
    // The label drops its access-key marks and every parenthesised part, parentheses included.
    DWORD out = 0;
    bool inParentheses = false;
    for (const WCHAR* c = scratch.data(); *c; ++c) {
        if (inParentheses) {
            if (*c == u')') inParentheses = false;
            continue;
        }
        if (*c == u'(') {
            inParentheses = true;
            continue;
        }
        if (*c == u'&') continue;
        buffer[out++] = *c;
    }
    buffer[out] = u'\0';
    return result;
}

STDMETHODIMP_(LPWSTR) CoResources::DuplicateString(DWORD id) {
    WCHAR text[kDuplicateChars];
    if (FAILED(LoadString(id, text, kDuplicateChars)) || text[0] == u'\0') return nullptr;
    const size_t bytes = (size_t(lstrlenW(text)) + 1) * sizeof(WCHAR);
    auto* copy = static_cast<LPWSTR>(HeapAlloc(m_heap, 0, bytes));
    if (copy) std::memcpy(copy, text, bytes);
    return copy;
}

STDMETHODIMP_(int) CoResources::MessageBox(HWND owner, DWORD textId, DWORD captionId, UINT style) {
    WCHAR text[kMessageTextChars];
    WCHAR caption[kMessageCaptionChars];
    if (FAILED(LoadString(textId, text, kMessageTextChars)) || FAILED(LoadString(captionId, caption, kMessageCaptionChars)))
        return 0;
    if (owner && (GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)) style |= MB_RTLREADING;
    return MessageBoxW(owner, text, caption, style);
}

// Computed once per process. From Windows 6.0 on, the help file is shown from a copy in the
// temporary folder that keeps the help file's extension, so the same help viewer opens it.
STDMETHODIMP_(LPCWSTR) CoResources::GetHelpFileName() {
    static std::mutex mutex;
    static bool computed = false;
    static WCHAR path[MAX_PATH];
    std::lock_guard lock(mutex);
    if (computed) return path[0] ? path : nullptr;
    computed = true;
    path[0] = u'\0';

    WCHAR name[kHelpFileNameChars];
    if (!m_helpFile || FAILED(LoadString(kHelpFileNameId, name, kHelpFileNameChars))) return nullptr;
    const std::u16string_view helpFile(m_helpFile);
    const size_t slash = helpFile.rfind(u'\\');
    const std::u16string folder(helpFile.substr(0, slash == std::u16string_view::npos ? 0 : slash));
    WCHAR helpPath[MAX_PATH];
    if (FAILED(StringCchPrintfW(helpPath, MAX_PATH, u"%s\\%s", folder.c_str(), name))) {
        DebugTrace(1, u"%s: help path too long [%s]\n", u"CoResources::GetHelpFileName", name);
        return nullptr;
    }

    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(&version) || version.dwMajorVersion < 6) {
        lstrcpynW(path, helpPath, MAX_PATH);
        return path;
    }
    WCHAR tempFolder[MAX_PATH];
    WCHAR tempName[MAX_PATH];
    const DWORD folderChars = GetTempPathW(MAX_PATH, tempFolder);
    if (folderChars == 0 || folderChars >= MAX_PATH || GetTempFileNameW(tempFolder, u"", 0, tempName) == 0) return nullptr;
    // The reserved name "XXXX.TMP" takes the help file's extension for the copy.
    std::u16string copy(tempName);
    const std::u16string_view helpName(name);
    const size_t dot = helpName.rfind(u'.');
    if (dot != std::u16string_view::npos && copy.size() > 4) copy = copy.substr(0, copy.size() - 4) + std::u16string(helpName.substr(dot));
    if (copy.size() >= MAX_PATH || !CopyFileW(helpPath, copy.c_str(), FALSE)) {
        DebugTrace(1, u"%s: CopyFile err=[%d]\n", u"CoResources::GetHelpFileName", GetLastError());
        return nullptr;
    }
    lstrcpynW(path, copy.c_str(), MAX_PATH);
    return path;
}
