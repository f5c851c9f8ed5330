// The registry in the machine database: a tree of keys (each row knows its parent and its whole
// path, folded for comparison) and the values of each key. Handles name a key by its row, so a
// handle outlives neither a deletion of its key (ERROR_KEY_DELETED) nor a recreated key of the
// same name.
#include <cstring>
#include <optional>

#include <win/winreg.h>

#include "machine/api_guard.h"
#include "registry/registry_notify.h"
#include "kernel/handle_table.h"
#include "machine/machine_db.h"
#include "crt/utf16.h"

namespace palvex::registry {
namespace {

const db::SchemaPart kRegistrySchema(R"sql(
CREATE TABLE IF NOT EXISTS reg_keys (
    id INTEGER PRIMARY KEY AUTOINCREMENT,  -- never reused: a stale handle must not reach a new row
    parent_id INTEGER REFERENCES reg_keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    path_key TEXT NOT NULL UNIQUE);
CREATE INDEX IF NOT EXISTS reg_keys_by_parent ON reg_keys(parent_id);
CREATE TABLE IF NOT EXISTS reg_values (
    key_id INTEGER NOT NULL REFERENCES reg_keys(id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    name_key TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY (key_id, name_key));
INSERT OR IGNORE INTO reg_keys (id, parent_id, name, path_key) VALUES
    (1, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),
    (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER');
)sql");

// The key under which Windows keeps its printers is there on every machine, so a program can
// watch it before the first printer is made.
const db::SchemaPart kPrintersKeySchema(R"sql(
INSERT OR IGNORE INTO reg_keys (parent_id, name, path_key)
    SELECT id, 'SYSTEM', 'HKEY_LOCAL_MACHINE\SYSTEM' FROM reg_keys WHERE path_key = 'HKEY_LOCAL_MACHINE';
INSERT OR IGNORE INTO reg_keys (parent_id, name, path_key)
    SELECT id, 'CurrentControlSet', path_key || '\CURRENTCONTROLSET' FROM reg_keys WHERE path_key = 'HKEY_LOCAL_MACHINE\SYSTEM';
INSERT OR IGNORE INTO reg_keys (parent_id, name, path_key)
    SELECT id, 'Control', path_key || '\CONTROL' FROM reg_keys WHERE path_key = 'HKEY_LOCAL_MACHINE\SYSTEM\CURRENTCONTROLSET';
INSERT OR IGNORE INTO reg_keys (parent_id, name, path_key)
    SELECT id, 'Print', path_key || '\PRINT' FROM reg_keys
    WHERE path_key = 'HKEY_LOCAL_MACHINE\SYSTEM\CURRENTCONTROLSET\CONTROL';
INSERT OR IGNORE INTO reg_keys (parent_id, name, path_key)
    SELECT id, 'Printers', path_key || '\PRINTERS' FROM reg_keys
    WHERE path_key = 'HKEY_LOCAL_MACHINE\SYSTEM\CURRENTCONTROLSET\CONTROL\PRINT';
)sql");

constexpr int64_t kLocalMachineId = 1;
constexpr int64_t kCurrentUserId = 2;

struct KeyHandle {
    int64_t keyId = 0;
    ACCESS_MASK access = 0;
};

HandleTable<KeyHandle>& KeyHandles() {
    static auto* table = new HandleTable<KeyHandle>;
    return *table;
}

// A key as a call sees it: its row, its folded path and the rights of the handle used.
struct OpenKey {
    int64_t id = 0;
    std::string pathKey;
    ACCESS_MASK access = 0;
};

// Resolves a handle (predefined or opened) to its key; the error code when there is none.
DWORD Resolve(HKEY hKey, OpenKey& key) {
    if (hKey == HKEY_LOCAL_MACHINE) {
        key = OpenKey{kLocalMachineId, "HKEY_LOCAL_MACHINE", KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    if (hKey == HKEY_CURRENT_USER) {
        key = OpenKey{kCurrentUserId, "HKEY_CURRENT_USER", KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    const auto handle = KeyHandles().Find(hKey);
    if (!handle) return ERROR_INVALID_HANDLE;
    db::Statement find("SELECT path_key FROM reg_keys WHERE id = ?1");
    find.Bind(1, handle->keyId);
    if (!find.Step()) return ERROR_KEY_DELETED;
    key = OpenKey{handle->keyId, find.Text(0), handle->access};
    return ERROR_SUCCESS;
}

ACCESS_MASK MapKeyAccess(REGSAM desired) {
    ACCESS_MASK mapped =
        desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED | KEY_WOW64_64KEY |
                    KEY_WOW64_32KEY);  // one registry view: the machine's own
    if (desired & GENERIC_READ) mapped |= KEY_READ;
    if (desired & GENERIC_WRITE) mapped |= KEY_WRITE;
    if (desired & GENERIC_EXECUTE) mapped |= KEY_EXECUTE;
    if (desired & (GENERIC_ALL | MAXIMUM_ALLOWED)) mapped |= KEY_ALL_ACCESS;
    return mapped;
}

// Splits a subkey path into names. Empty or null: no names (the key itself).
DWORD SplitPath(LPCWSTR subKey, std::vector<std::u16string>& names) {
    names.clear();
    if (!subKey || !*subKey) return ERROR_SUCCESS;
    if (*subKey == u'\\') return ERROR_BAD_PATHNAME;
    std::u16string current;
    for (const WCHAR* p = subKey;; ++p) {
        if (*p == u'\\' || *p == 0) {
            if (current.empty()) {
                if (*p == 0) break;  // a trailing backslash is allowed
                return ERROR_BAD_PATHNAME;
            }
            names.push_back(std::move(current));
            current.clear();
            if (*p == 0) break;
        } else {
            current += *p;
        }
    }
    return ERROR_SUCCESS;
}

std::string ChildPathKey(const std::string& parentPathKey, const std::u16string& name) {
    return parentPathKey + "\\" + db::FoldKey(name);
}

std::optional<int64_t> FindKey(const std::string& pathKey) {
    db::Statement find("SELECT id FROM reg_keys WHERE path_key = ?1");
    find.Bind(1, pathKey);
    if (!find.Step()) return std::nullopt;
    return find.Int(0);
}

std::u16string ValueName(LPCWSTR name) {
    return name ? std::u16string(name) : std::u16string();
}

}  // namespace

DWORD NotifyPathOf(HKEY hKey, std::string& pathKey) {
    return GuardedCall(ERROR_REGISTRY_IO_FAILED, [&]() -> DWORD {
        OpenKey key;
        if (const DWORD error = Resolve(hKey, key)) return error;
        if (!(key.access & KEY_NOTIFY)) return ERROR_ACCESS_DENIED;
        pathKey = key.pathKey;
        return ERROR_SUCCESS;
    });
}

}  // namespace palvex::registry

using namespace palvex::registry;
using palvex::GuardedCall;
namespace db = palvex::db;

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                        const LPSECURITY_ATTRIBUTES, HKEY* phkResult, LPDWORD lpdwDisposition) {
    return static_cast<LSTATUS>(GuardedCall(ERROR_REGISTRY_IO_FAILED, [&]() -> DWORD {
        if (!phkResult) return ERROR_INVALID_PARAMETER;
        *phkResult = nullptr;
        std::vector<std::u16string> names;
        if (const DWORD error = SplitPath(lpSubKey, names)) return error;
        DWORD result = ERROR_SUCCESS;
        int64_t keyId = 0;
        bool created = false;
        std::string createdPath;
        db::Transaction([&] {
            OpenKey parent;
            if ((result = Resolve(hKey, parent)) != ERROR_SUCCESS) return;
            keyId = parent.id;
            std::string pathKey = parent.pathKey;
            for (const auto& name : names) {
                pathKey = ChildPathKey(pathKey, name);
                if (const auto existing = FindKey(pathKey)) {
                    keyId = *existing;
                    continue;
                }
                if (!created && !(parent.access & KEY_CREATE_SUB_KEY)) {
                    result = ERROR_ACCESS_DENIED;
                    return;
                }
                db::Statement add("INSERT INTO reg_keys (parent_id, name, path_key) VALUES (?1, ?2, ?3)");
                add.Bind(1, keyId).Bind(2, name).Bind(3, pathKey).Run();
                keyId = db::LastInsertId();
                if (!created) createdPath = pathKey;  // the first new key: its parent's list changed
                created = true;
            }
        });
        if (result != ERROR_SUCCESS) return result;
        if (created) NotifyChanged(createdPath);
        auto handle = std::make_shared<KeyHandle>();
        handle->keyId = keyId;
        handle->access = MapKeyAccess(samDesired);
        *phkResult = static_cast<HKEY>(KeyHandles().Insert(std::move(handle)));
        if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    }));
}

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, HKEY* phkResult) {
    return static_cast<LSTATUS>(GuardedCall(ERROR_REGISTRY_IO_FAILED, [&]() -> DWORD {
        if (!phkResult) return ERROR_INVALID_PARAMETER;
        *phkResult = nullptr;
        std::vector<std::u16string> names;
        if (const DWORD error = SplitPath(lpSubKey, names)) return error;
        OpenKey parent;
        if (const DWORD error = Resolve(hKey, parent)) return error;
        int64_t keyId = parent.id;
        if (!names.empty()) {
            std::string pathKey = parent.pathKey;
            for (const auto& name : names) pathKey = ChildPathKey(pathKey, name);
            const auto found = FindKey(pathKey);
            if (!found) return ERROR_FILE_NOT_FOUND;
            keyId = *found;
        }
        auto handle = std::make_shared<KeyHandle>();
        handle->keyId = keyId;
        handle->access = MapKeyAccess(samDesired);
        *phkResult = static_cast<HKEY>(KeyHandles().Insert(std::move(handle)));
        return ERROR_SUCCESS;
    }));
}

LSTATUS RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    if (!KeyHandles().Remove(hKey)) return ERROR_INVALID_HANDLE;
    DropWatches(hKey);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    return static_cast<LSTATUS>(GuardedCall(ERROR_REGISTRY_IO_FAILED, [&]() -> DWORD {
        if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
        OpenKey key;
        if (const DWORD error = Resolve(hKey, key)) return error;
        if (!(key.access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
        db::Statement read("SELECT type, data FROM reg_values WHERE key_id = ?1 AND name_key = ?2");
        read.Bind(1, key.id).Bind(2, db::FoldKey(ValueName(lpValueName)));
        if (!read.Step()) return ERROR_FILE_NOT_FOUND;
        const auto data = read.Blob(1);
        if (lpType) *lpType = static_cast<DWORD>(read.Int(0));
        if (!lpcbData) return ERROR_SUCCESS;
        const DWORD capacity = *lpcbData;
        *lpcbData = static_cast<DWORD>(data.size());
        if (!lpData) return ERROR_SUCCESS;  // a size query
        if (capacity < data.size()) return ERROR_MORE_DATA;
        if (!data.empty()) std::memcpy(lpData, data.data(), data.size());
        return ERROR_SUCCESS;
    }));
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    return static_cast<LSTATUS>(GuardedCall(ERROR_REGISTRY_IO_FAILED, [&]() -> DWORD {
        if (!lpData && cbData != 0) return ERROR_NOACCESS;
        DWORD result = ERROR_SUCCESS;
        std::string changed;
        db::Transaction([&] {
            OpenKey key;
            if ((result = Resolve(hKey, key)) != ERROR_SUCCESS) return;
            if (!(key.access & KEY_SET_VALUE)) {
                result = ERROR_ACCESS_DENIED;
                return;
            }
            db::Statement write(R"sql(
                INSERT INTO reg_values (key_id, name, name_key, type, data) VALUES (?1, ?2, ?3, ?4, ?5)
                ON CONFLICT (key_id, name_key) DO UPDATE SET type = excluded.type, data = excluded.data)sql");
            write.Bind(1, key.id).BindName(2, ValueName(lpValueName)).Bind(4, static_cast<int64_t>(dwType));
            write.BindBlob(5, lpData, cbData).Run();
            changed = key.pathKey;
        });
        if (result == ERROR_SUCCESS) NotifyChanged(changed);
        return result;
    }));
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    return static_cast<LSTATUS>(GuardedCall(ERROR_REGISTRY_IO_FAILED, [&]() -> DWORD {
        OpenKey key;
        if (const DWORD error = Resolve(hKey, key)) return error;
        if (!(key.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
        db::Statement remove("DELETE FROM reg_values WHERE key_id = ?1 AND name_key = ?2");
        remove.Bind(1, key.id).Bind(2, db::FoldKey(ValueName(lpValueName))).Run();
        if (db::ChangedRows() == 0) return ERROR_FILE_NOT_FOUND;
        NotifyChanged(key.pathKey);
        return ERROR_SUCCESS;
    }));
}

LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    return static_cast<LSTATUS>(GuardedCall(ERROR_REGISTRY_IO_FAILED, [&]() -> DWORD {
        if (!lpSubKey) return ERROR_INVALID_PARAMETER;
        std::vector<std::u16string> names;
        if (const DWORD error = SplitPath(lpSubKey, names)) return error;
        DWORD result = ERROR_SUCCESS;
        std::string deleted;
        db::Transaction([&] {
            OpenKey parent;
            if ((result = Resolve(hKey, parent)) != ERROR_SUCCESS) return;
            int64_t keyId = parent.id;
            if (names.empty()) {
                // The key of the handle itself, which needs the right to delete it.
                if (!(parent.access & DELETE)) {
                    result = ERROR_ACCESS_DENIED;
                    return;
                }
            } else {
                std::string pathKey = parent.pathKey;
                for (const auto& name : names) pathKey = ChildPathKey(pathKey, name);
                const auto found = FindKey(pathKey);
                if (!found) {
                    result = ERROR_FILE_NOT_FOUND;
                    return;
                }
                keyId = *found;
            }
            if (keyId == kLocalMachineId || keyId == kCurrentUserId) {
                result = ERROR_ACCESS_DENIED;
                return;
            }
            db::Statement children("SELECT 1 FROM reg_keys WHERE parent_id = ?1 LIMIT 1");
            children.Bind(1, keyId);
            if (children.Step()) {
                result = ERROR_ACCESS_DENIED;
                return;
            }
            db::Statement path("SELECT path_key FROM reg_keys WHERE id = ?1");
            path.Bind(1, keyId);
            if (path.Step()) deleted = path.Text(0);
            db::Statement remove("DELETE FROM reg_keys WHERE id = ?1");  // its values go with it
            remove.Bind(1, keyId).Run();
        });
        if (result == ERROR_SUCCESS && !deleted.empty()) NotifyChanged(deleted);
        return result;
    }));
}

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                      LPDWORD lpcchClass, void*) {
    return static_cast<LSTATUS>(GuardedCall(ERROR_REGISTRY_IO_FAILED, [&]() -> DWORD {
        if (!lpName || !lpcchName) return ERROR_INVALID_PARAMETER;
        OpenKey key;
        if (const DWORD error = Resolve(hKey, key)) return error;
        if (!(key.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
        db::Statement list("SELECT name FROM reg_keys WHERE parent_id = ?1 ORDER BY path_key LIMIT 1 OFFSET ?2");
        list.Bind(1, key.id).Bind(2, static_cast<int64_t>(dwIndex));
        if (!list.Step()) return ERROR_NO_MORE_ITEMS;
        const std::u16string name = list.Text16(0);
        if (name.size() + 1 > *lpcchName) return ERROR_MORE_DATA;
        std::memcpy(lpName, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        *lpcchName = static_cast<DWORD>(name.size());
        if (lpClass && lpcchClass && *lpcchClass) {
            lpClass[0] = u'\0';
            *lpcchClass = 0;
        }
        return ERROR_SUCCESS;
    }));
}
