// One-shot watches of registry keys: each signals its event at the first change and is gone.
//
// The registry is machine state, so a watch also fires for a change that another process makes.
// Each process's watches are listed in the machine database; a change under a key that another
// process watches is logged there, and in that process a follower thread reads the log and fires
// its watches.
#include <unistd.h>

#include <mutex>
#include <vector>

#include <win/synchapi_events.h>
#include <win/winerror.h>

#include "machine/log_follower.h"
#include "machine/machine_db.h"
#include "registry/registry_notify.h"

namespace palvex::registry {
namespace {

db::SchemaPart g_schema(
    "CREATE TABLE IF NOT EXISTS registry_watches(pid INTEGER NOT NULL, path_key TEXT NOT NULL, subtree INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS registry_changes("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT, path_key TEXT NOT NULL, origin INTEGER NOT NULL);");

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

// Fires this process's watches that cover the changed key; true when one fired.
bool FireLocal(const std::string& pathKey) {
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
    return !fired.empty();
}

// Lists this process's watches in the machine database (one row per watch), for the other
// processes' writes to look at.
void ListWatches() {
    const int64_t self = getpid();
    std::vector<std::pair<std::string, bool>> listed;
    {
        std::lock_guard lock(g_mutex);
        for (const Watch& watch : Watches()) listed.emplace_back(watch.pathKey, watch.subtree);
    }
    try {
        db::Transaction([&] {
            db::Statement("DELETE FROM registry_watches WHERE pid = ?1").Bind(1, self).Run();
            for (const auto& [pathKey, subtree] : listed)
                db::Statement("INSERT INTO registry_watches(pid, path_key, subtree) VALUES (?1, ?2, ?3)")
                    .Bind(1, self)
                    .Bind(2, pathKey)
                    .Bind(3, subtree ? 1 : 0)
                    .Run();
        });
    } catch (const std::exception&) {
        // without a machine database only this process's changes reach its watches
    }
}

bool HasWatches() {
    std::lock_guard lock(g_mutex);
    return !Watches().empty();
}

// Fires this process's watches for the changes other processes logged after lastSeen; answers
// the last change read.
int64_t FireOthersChanges(int64_t lastSeen) {
    std::vector<std::pair<int64_t, std::string>> changes;
    {
        db::Statement rows("SELECT id, path_key FROM registry_changes WHERE id > ?1 AND origin != ?2 ORDER BY id");
        rows.Bind(1, lastSeen).Bind(2, static_cast<int64_t>(getpid()));
        while (rows.Step()) changes.emplace_back(rows.Int(0), rows.Text(1));
    }
    bool fired = false;
    for (const auto& [id, pathKey] : changes) {
        lastSeen = id;
        fired = FireLocal(pathKey) || fired;
    }
    if (fired) ListWatches();
    return lastSeen;
}

// The follower of other processes' changes: runs while this process has watches, so that it
// never outlives the machine its watches were on.
db::LogFollower& OthersChanges() {
    static auto* follower =
        new db::LogFollower("SELECT coalesce(max(id), 0) FROM registry_changes", FireOthersChanges, HasWatches);
    return *follower;
}

// Logs a change for the other processes whose watches cover it.
void LogForOthers(const std::string& pathKey) {
    try {
        const int64_t self = getpid();
        bool watched = false;
        {
            // The read ends before the write begins: a read still open would have to turn into
            // the write, which fails when another process wrote meanwhile.
            db::Statement covering(R"sql(
                SELECT EXISTS (SELECT 1 FROM registry_watches WHERE pid != ?1 AND
                    (path_key = ?2 OR (subtree AND substr(?2, 1, length(path_key) + 1) = path_key || '\')))
            )sql");
            covering.Bind(1, self).Bind(2, pathKey);
            watched = covering.Step() && covering.Int(0) != 0;
        }
        if (watched)
            db::Statement("INSERT INTO registry_changes(path_key, origin) VALUES (?1, ?2)").Bind(1, pathKey).Bind(2, self).Run();
    } catch (const std::exception&) {
    }
}

}  // namespace

void NotifyChanged(const std::string& pathKey) {
    if (FireLocal(pathKey)) {
        ListWatches();
        OthersChanges().StopUnlessWanted();
    }
    LogForOthers(pathKey);
}

void DropWatches(HKEY key) {
    bool dropped = false;
    {
        std::lock_guard lock(g_mutex);
        auto& watches = Watches();
        for (auto it = watches.begin(); it != watches.end();) {
            if (it->key != key) {
                ++it;
                continue;
            }
            it = watches.erase(it);
            dropped = true;
        }
    }
    if (!dropped) return;
    ListWatches();
    OthersChanges().StopUnlessWanted();
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
    {
        std::lock_guard lock(palvex::registry::g_mutex);
        palvex::registry::Watches().push_back({hKey, pathKey, bWatchSubtree != FALSE, hEvent});
    }
    palvex::registry::ListWatches();
    palvex::registry::OthersChanges().Start();
    return ERROR_SUCCESS;
}
