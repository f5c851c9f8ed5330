// One-shot watches of registry keys: each signals its event at the first change and is gone.
#include <mutex>
#include <vector>

#include <win/synchapi_events.h>
#include <win/winerror.h>

#include "machine/machine_db.h"
#include "registry/registry_notify.h"

namespace palvex::registry {
namespace {

struct Watch {
    HKEY key = nullptr;  // the handle it was asked through; closing the handle ends the watch
    std::string pathKey;
    bool subtree = false;
    HANDLE event = nullptr;
};

std::mutex g_mutex;
std::vector<Watch>& Watches() {
    static auto* watches = new std::vector<Watch>;  // outlives every static destructor
    return *watches;
}

bool Covers(const Watch& watch, const std::string& changed) {
    if (changed == watch.pathKey) return true;
    return watch.subtree && changed.size() > watch.pathKey.size() && changed.compare(0, watch.pathKey.size(), watch.pathKey) == 0 &&
           changed[watch.pathKey.size()] == '\\';
}

}  // namespace

void NotifyChanged(const std::string& pathKey) {
    std::vector<HANDLE> fired;
    {
        std::lock_guard lock(g_mutex);
        auto& watches = Watches();
        for (auto it = watches.begin(); it != watches.end();) {
            if (!Covers(*it, pathKey)) {
                ++it;
                continue;
            }
            fired.push_back(it->event);
            it = watches.erase(it);
        }
    }
    for (HANDLE event : fired) SetEvent(event);
}

void DropWatches(HKEY key) {
    std::lock_guard lock(g_mutex);
    auto& watches = Watches();
    for (auto it = watches.begin(); it != watches.end();) it = it->key == key ? watches.erase(it) : it + 1;
}

void NotifyChanged(HKEY root, const std::u16string& path) {
    std::string pathKey = root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    size_t at = 0;
    while (at <= path.size()) {
        const size_t end = std::min(path.find(u'\\', at), path.size());
        if (end > at) pathKey += "\\" + db::FoldKey(path.substr(at, end - at));
        at = end + 1;
    }
    NotifyChanged(pathKey);
}

}  // namespace palvex::registry

LSTATUS RegNotifyChangeKeyValue(HKEY hKey, BOOL bWatchSubtree, DWORD, HANDLE hEvent, BOOL fAsynchronous) {
    if (!fAsynchronous || !hEvent) return ERROR_INVALID_PARAMETER;
    std::string pathKey;
    if (const DWORD error = palvex::registry::NotifyPathOf(hKey, pathKey)) return static_cast<LSTATUS>(error);
    std::lock_guard lock(palvex::registry::g_mutex);
    palvex::registry::Watches().push_back({hKey, pathKey, bWatchSubtree != FALSE, hEvent});
    return ERROR_SUCCESS;
}
