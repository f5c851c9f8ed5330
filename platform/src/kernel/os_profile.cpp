// The OS profile of the machine (one row of the machine database) and the system functions that
// report it.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include <palvex/os_profile.h>
#include <win/winosinfo.h>

#include "machine/api_guard.h"
#include "machine/machine_db.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

std::string Quoted(const std::u16string& text) {
    std::string quoted = "'";
    for (char c : text::ToUtf8(text)) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

std::string SchemaSql() {
    const OsProfile d;
    std::string sql =
        "CREATE TABLE IF NOT EXISTS os_profile ("
        " id INTEGER PRIMARY KEY CHECK (id = 1),"
        " major_version INTEGER NOT NULL, minor_version INTEGER NOT NULL, build_number INTEGER NOT NULL,"
        " platform_id INTEGER NOT NULL, csd_version TEXT NOT NULL,"
        " service_pack_major INTEGER NOT NULL, service_pack_minor INTEGER NOT NULL,"
        " suite_mask INTEGER NOT NULL, product_type INTEGER NOT NULL, processor_architecture INTEGER NOT NULL,"
        " user_ui_language INTEGER NOT NULL, system_ui_language INTEGER NOT NULL,"
        " user_lang_id INTEGER NOT NULL, system_lang_id INTEGER NOT NULL,"
        " ansi_code_page INTEGER NOT NULL, oem_code_page INTEGER NOT NULL, user_name TEXT NOT NULL);"
        "INSERT OR IGNORE INTO os_profile VALUES (1";
    for (uint64_t value : {uint64_t{d.majorVersion}, uint64_t{d.minorVersion}, uint64_t{d.buildNumber}, uint64_t{d.platformId}})
        sql += ", " + std::to_string(value);
    sql += ", " + Quoted(d.csdVersion);
    for (uint64_t value : {uint64_t{d.servicePackMajor}, uint64_t{d.servicePackMinor}, uint64_t{d.suiteMask},
                           uint64_t{d.productType}, uint64_t{d.processorArchitecture}, uint64_t{d.userUILanguage},
                           uint64_t{d.systemUILanguage}, uint64_t{d.userLangId}, uint64_t{d.systemLangId},
                           uint64_t{d.ansiCodePage}, uint64_t{d.oemCodePage}})
        sql += ", " + std::to_string(value);
    sql += ", " + Quoted(d.userName) + ")";
    return sql;
}

const std::string& Schema() {
    static const std::string sql = SchemaSql();
    return sql;
}

const db::SchemaPart kOsProfileSchema(Schema().c_str());

// The edition lives in a table of its own so that databases made before it keep their profile
// row as it is and gain the default edition.
std::string EditionSchemaSql() {
    const OsProfile d;
    return "CREATE TABLE IF NOT EXISTS os_profile_edition ("
           " id INTEGER PRIMARY KEY CHECK (id = 1),"
           " product_info_type INTEGER NOT NULL, server_r2 INTEGER NOT NULL);"
           "INSERT OR IGNORE INTO os_profile_edition VALUES (1, " +
           std::to_string(d.productInfoType) + ", " + std::to_string(d.serverR2 ? 1 : 0) + ")";
}

const std::string& EditionSchema() {
    static const std::string sql = EditionSchemaSql();
    return sql;
}

const db::SchemaPart kOsProfileEditionSchema(EditionSchema().c_str());

// The user's membership of the Administrators group, in a table of its own for the same reason.
const db::SchemaPart kOsProfileUserSchema(
    "CREATE TABLE IF NOT EXISTS os_profile_user ("
    " id INTEGER PRIMARY KEY CHECK (id = 1), administrator INTEGER NOT NULL);"
    "INSERT OR IGNORE INTO os_profile_user VALUES (1, 1)");

// The profile, or the defaults when the machine database cannot be read: these functions have no
// way to report a failure.
OsProfile ProfileOrDefaults() {
    try {
        return GetOsProfile();
    } catch (...) {
        return OsProfile{};
    }
}

// The profile is read on nearly every text conversion (the ANSI code page), so the process keeps
// the last one it read. A change must still show at once in every process of the machine: each
// SetOsProfile counts up a number in a small file of the machine root that every process maps,
// and a process reads the profile again when that number (or its machine root) has changed.
class ProfileCache {
public:
    // The stamp of the current root's profile: the number of changes made through SetOsProfile.
    // Call with the mutex held.
    std::atomic<uint64_t>* Stamp() {
        const uint64_t generation = db::RootGeneration();
        if (m_stamp && generation == m_generation) return m_stamp;
        Unmap();
        m_generation = generation;
        m_profile.reset();
        const std::filesystem::path file = db::CurrentRoot() / "os_profile.stamp";
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return nullptr;
        // A new file is grown to its 8 bytes of zeros; one already there keeps its count.
        void* mapped = MAP_FAILED;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && (info.st_size >= 8 || ::ftruncate(fd, 8) == 0))
            mapped = ::mmap(nullptr, 8, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
        if (mapped == MAP_FAILED) return nullptr;
        m_stamp = static_cast<std::atomic<uint64_t>*>(mapped);
        return m_stamp;
    }

    std::mutex m_mutex;
    std::optional<OsProfile> m_profile;
    uint64_t m_profileStamp = 0;

private:
    void Unmap() {
        if (m_stamp) ::munmap(m_stamp, 8);
        m_stamp = nullptr;
    }
    std::atomic<uint64_t>* m_stamp = nullptr;
    uint64_t m_generation = 0;
};

ProfileCache& TheProfileCache() {
    static auto* cache = new ProfileCache;  // outlives every static destructor
    return *cache;
}

OsProfile ReadOsProfile();

}  // namespace

namespace {

// The machine's profile as the process keeps it (call with the cache's mutex held).
const OsProfile& CurrentProfile(ProfileCache& cache) {
    std::atomic<uint64_t>* stamp = cache.Stamp();
    if (!stamp) {  // no stamp to trust: read every time
        cache.m_profile = ReadOsProfile();
        cache.m_profileStamp = UINT64_MAX;
        return *cache.m_profile;
    }
    // The stamp is taken before the read, so a change made meanwhile is read again next time.
    const uint64_t seen = stamp->load(std::memory_order_acquire);
    if (!cache.m_profile || cache.m_profileStamp != seen) {
        cache.m_profile = ReadOsProfile();
        cache.m_profileStamp = seen;
    }
    return *cache.m_profile;
}

}  // namespace

OsProfile GetOsProfile() {
    ProfileCache& cache = TheProfileCache();
    std::lock_guard lock(cache.m_mutex);
    return CurrentProfile(cache);
}

UINT GetAnsiCodePage() {
    ProfileCache& cache = TheProfileCache();
    std::lock_guard lock(cache.m_mutex);
    return CurrentProfile(cache).ansiCodePage;
}

namespace {

OsProfile ReadOsProfile() {
    db::Statement select(
        "SELECT major_version, minor_version, build_number, platform_id, csd_version, service_pack_major,"
        " service_pack_minor, suite_mask, product_type, processor_architecture, user_ui_language,"
        " system_ui_language, user_lang_id, system_lang_id, ansi_code_page, oem_code_page, user_name"
        " FROM os_profile WHERE id = 1");
    OsProfile p;
    db::Statement edition("SELECT product_info_type, server_r2 FROM os_profile_edition WHERE id = 1");
    if (edition.Step()) {
        p.productInfoType = static_cast<DWORD>(edition.Int(0));
        p.serverR2 = edition.Int(1) != 0;
    }
    db::Statement user("SELECT administrator FROM os_profile_user WHERE id = 1");
    if (user.Step()) p.administrator = user.Int(0) != 0;
    if (!select.Step()) return p;
    p.majorVersion = static_cast<DWORD>(select.Int(0));
    p.minorVersion = static_cast<DWORD>(select.Int(1));
    p.buildNumber = static_cast<DWORD>(select.Int(2));
    p.platformId = static_cast<DWORD>(select.Int(3));
    p.csdVersion = select.Text16(4);
    p.servicePackMajor = static_cast<WORD>(select.Int(5));
    p.servicePackMinor = static_cast<WORD>(select.Int(6));
    p.suiteMask = static_cast<WORD>(select.Int(7));
    p.productType = static_cast<BYTE>(select.Int(8));
    p.processorArchitecture = static_cast<WORD>(select.Int(9));
    p.userUILanguage = static_cast<LANGID>(select.Int(10));
    p.systemUILanguage = static_cast<LANGID>(select.Int(11));
    p.userLangId = static_cast<LANGID>(select.Int(12));
    p.systemLangId = static_cast<LANGID>(select.Int(13));
    p.ansiCodePage = static_cast<UINT>(select.Int(14));
    p.oemCodePage = static_cast<UINT>(select.Int(15));
    p.userName = select.Text16(16);
    return p;
}

}  // namespace

void SetOsProfile(const OsProfile& p) {
    db::Transaction([&] {
        db::Statement replace(
            "INSERT OR REPLACE INTO os_profile (id, major_version, minor_version, build_number, platform_id, csd_version,"
            " service_pack_major, service_pack_minor, suite_mask, product_type, processor_architecture, user_ui_language,"
            " system_ui_language, user_lang_id, system_lang_id, ansi_code_page, oem_code_page, user_name)"
            " VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        replace.Bind(1, int64_t{p.majorVersion})
            .Bind(2, int64_t{p.minorVersion})
            .Bind(3, int64_t{p.buildNumber})
            .Bind(4, int64_t{p.platformId})
            .Bind(5, p.csdVersion)
            .Bind(6, int64_t{p.servicePackMajor})
            .Bind(7, int64_t{p.servicePackMinor})
            .Bind(8, int64_t{p.suiteMask})
            .Bind(9, int64_t{p.productType})
            .Bind(10, int64_t{p.processorArchitecture})
            .Bind(11, int64_t{p.userUILanguage})
            .Bind(12, int64_t{p.systemUILanguage})
            .Bind(13, int64_t{p.userLangId})
            .Bind(14, int64_t{p.systemLangId})
            .Bind(15, int64_t{p.ansiCodePage})
            .Bind(16, int64_t{p.oemCodePage})
            .Bind(17, p.userName)
            .Run();
        db::Statement edition(
            "INSERT OR REPLACE INTO os_profile_edition (id, product_info_type, server_r2) VALUES (1, ?, ?)");
        edition.Bind(1, int64_t{p.productInfoType}).Bind(2, int64_t{p.serverR2 ? 1 : 0}).Run();
        db::Statement user("INSERT OR REPLACE INTO os_profile_user (id, administrator) VALUES (1, ?)");
        user.Bind(1, int64_t{p.administrator ? 1 : 0}).Run();
    });
    // After the commit: a process that sees the new stamp reads the new profile.
    ProfileCache& cache = TheProfileCache();
    std::lock_guard lock(cache.m_mutex);
    if (std::atomic<uint64_t>* stamp = cache.Stamp()) stamp->fetch_add(1, std::memory_order_acq_rel);
    cache.m_profile.reset();
}

}  // namespace palvex

using namespace palvex;

BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation) {
    const DWORD error = GuardedCall(ERROR_INVALID_FUNCTION, [&]() -> DWORD {
        if (!lpVersionInformation) return ERROR_INVALID_PARAMETER;
        const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
        if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) return ERROR_INSUFFICIENT_BUFFER;
        const OsProfile p = GetOsProfile();
        OSVERSIONINFOW& info = *lpVersionInformation;
        info.dwMajorVersion = p.majorVersion;
        info.dwMinorVersion = p.minorVersion;
        info.dwBuildNumber = p.buildNumber;
        info.dwPlatformId = p.platformId;
        std::memset(info.szCSDVersion, 0, sizeof(info.szCSDVersion));
        const size_t length = std::min<size_t>(p.csdVersion.size(), std::size(info.szCSDVersion) - 1);
        std::memcpy(info.szCSDVersion, p.csdVersion.data(), length * sizeof(WCHAR));
        if (size == sizeof(OSVERSIONINFOEXW)) {
            auto& ex = reinterpret_cast<OSVERSIONINFOEXW&>(info);
            ex.wServicePackMajor = p.servicePackMajor;
            ex.wServicePackMinor = p.servicePackMinor;
            ex.wSuiteMask = p.suiteMask;
            ex.wProductType = p.productType;
            ex.wReserved = 0;
        }
        return ERROR_SUCCESS;
    });
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

LANGID GetUserDefaultUILanguage(void) {
    return ProfileOrDefaults().userUILanguage;
}

LANGID GetSystemDefaultUILanguage(void) {
    return ProfileOrDefaults().systemUILanguage;
}

LANGID GetUserDefaultLangID(void) {
    return ProfileOrDefaults().userLangId;
}

LANGID GetSystemDefaultLangID(void) {
    return ProfileOrDefaults().systemLangId;
}
