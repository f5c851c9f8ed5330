// The folder browser, answered by the test script: the browser is a hidden window that hears the
// caller's callback (BFFM_SETSELECTIONW), then the user's queued pick comes back as an item id
// list. An item id list here is one item whose bytes are a kind byte (1: a file-system folder,
// 0: no path) and the folder's path in UTF-16 with its terminator, then the ending zero size.
#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include <palvex/folder_browser.h>
#include <win/combaseapi.h>
#include <win/shlobj.h>
#include <win/shlobj_browse.h>
#include <win/winerror.h>

namespace {

struct Script {
    std::mutex mutex;
    std::deque<palvex::FolderBrowserAnswer> answers;
    std::vector<palvex::FolderBrowserRecord> records;
};

Script& TheScript() {
    static auto* script = new Script;  // outlives every static destructor
    return *script;
}

constexpr char16_t kBrowserClass[] = u"palvex.FolderBrowser";
constexpr BYTE kFileSystem = 1;

thread_local palvex::FolderBrowserRecord* g_showing = nullptr;

std::u16string PathOfItem(PCIDLIST_ABSOLUTE pidl, bool* fileSystem);

LRESULT CALLBACK BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BFFM_SETSELECTIONW && g_showing && lParam) {
        if (wParam) g_showing->selection = reinterpret_cast<LPCWSTR>(lParam);
        else g_showing->selection = PathOfItem(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), nullptr);
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

PIDLIST_ABSOLUTE MakeItem(const std::u16string& path, BYTE kind) {
    const size_t textBytes = (path.size() + 1) * sizeof(char16_t);
    const size_t itemBytes = sizeof(USHORT) + 1 + textBytes;
    if (itemBytes > 0xFFFF) return nullptr;
    auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(itemBytes + sizeof(USHORT)));
    if (!bytes) return nullptr;
    const USHORT size = static_cast<USHORT>(itemBytes), end = 0;
    std::memcpy(bytes, &size, sizeof size);
    bytes[sizeof(USHORT)] = kind;
    std::memcpy(bytes + sizeof(USHORT) + 1, path.c_str(), textBytes);
    std::memcpy(bytes + itemBytes, &end, sizeof end);
    return reinterpret_cast<PIDLIST_ABSOLUTE>(bytes);
}

std::u16string PathOfItem(PCIDLIST_ABSOLUTE pidl, bool* fileSystem) {
    if (fileSystem) *fileSystem = false;
    if (!pidl) return {};
    const auto* bytes = reinterpret_cast<const BYTE*>(pidl);
    USHORT size = 0;
    std::memcpy(&size, bytes, sizeof size);
    if (size < sizeof(USHORT) + 1 + sizeof(char16_t)) return {};
    std::u16string path((size - sizeof(USHORT) - 1) / sizeof(char16_t), u'\0');
    std::memcpy(path.data(), bytes + sizeof(USHORT) + 1, path.size() * sizeof(char16_t));
    path.resize(std::char_traits<char16_t>::length(path.c_str()));
    if (fileSystem) *fileSystem = bytes[sizeof(USHORT)] == kFileSystem;
    return path;
}

HWND MakeBrowserWindow(HWND owner) {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = BrowserProc;
        windowClass.lpszClassName = kBrowserClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered) return nullptr;
    return CreateWindowExW(0, kBrowserClass, u"", WS_POPUP | WS_CAPTION, 0, 0, 320, 400, owner, nullptr, nullptr, nullptr);
}

}  // namespace

PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* lpbi) {
    if (!lpbi) return nullptr;
    palvex::FolderBrowserRecord record;
    record.owner = lpbi->hwndOwner;
    record.rootGiven = lpbi->pidlRoot != nullptr;
    record.title = lpbi->lpszTitle ? lpbi->lpszTitle : u"";
    record.flags = lpbi->ulFlags;
    HWND window = MakeBrowserWindow(lpbi->hwndOwner);
    g_showing = &record;
    if (lpbi->lpfn) lpbi->lpfn(window, BFFM_INITIALIZED, 0, lpbi->lParam);
    g_showing = nullptr;
    if (window) DestroyWindow(window);

    palvex::FolderBrowserAnswer answer;
    {
        Script& script = TheScript();
        std::lock_guard lock(script.mutex);
        if (!script.answers.empty()) {
            answer = std::move(script.answers.front());
            script.answers.pop_front();
        }
        script.records.push_back(record);
    }
    if (answer.kind == palvex::FolderBrowserAnswer::Cancel) return nullptr;
    const bool fileSystem = answer.kind == palvex::FolderBrowserAnswer::Folder;
    if (lpbi->pszDisplayName) {
        const std::u16string name = fileSystem ? answer.folder.substr(answer.folder.find_last_of(u'\\') + 1) : u"Network";
        const size_t copied = std::min<size_t>(name.size(), MAX_PATH - 1);
        name.copy(lpbi->pszDisplayName, copied);
        lpbi->pszDisplayName[copied] = u'\0';
    }
    return MakeItem(fileSystem ? answer.folder : std::u16string(), fileSystem ? kFileSystem : 0);
}

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath) {
    if (!pszPath) return FALSE;
    bool fileSystem = false;
    const std::u16string path = PathOfItem(pidl, &fileSystem);
    if (!fileSystem || path.empty() || path.size() >= MAX_PATH) {
        pszPath[0] = u'\0';
        return FALSE;
    }
    path.copy(pszPath, path.size());
    pszPath[path.size()] = u'\0';
    return TRUE;
}

HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, PIDLIST_ABSOLUTE* ppidl) {
    if (!ppidl) return E_INVALIDARG;
    *ppidl = nullptr;
    WCHAR folder[MAX_PATH] = {};
    const HRESULT result = SHGetFolderPathW(hwnd, csidl, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (result != S_OK) return result;
    *ppidl = MakeItem(folder, kFileSystem);
    return *ppidl ? S_OK : E_OUTOFMEMORY;
}

namespace palvex {

void QueueFolderBrowserAnswers(const std::vector<FolderBrowserAnswer>& answers) {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    script.answers.insert(script.answers.end(), answers.begin(), answers.end());
}

std::vector<FolderBrowserRecord> TakeFolderBrowserRecords() {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    return std::exchange(script.records, {});
}

void ResetFolderBrowserScript() {
    Script& script = TheScript();
    std::lock_guard lock(script.mutex);
    script.answers.clear();
    script.records.clear();
}

}  // namespace palvex
