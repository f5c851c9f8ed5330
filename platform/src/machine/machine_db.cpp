// One SQLite connection per thread to the current machine root. Separate processes share the
// database through SQLite's own locking: write-ahead logging lets readers go on while one writer
// writes, and a busy wait (rather than an immediate SQLITE_BUSY) covers the short write locks.
#include "machine/machine_db.h"

#include <fcntl.h>
#include <pthread.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include <palvex/prepared_statements.h>

#include "crt/utf16.h"

namespace palvex::db {
namespace {

constexpr int kBusyWaitMilliseconds = 30000;

std::vector<const char*>& SchemaParts() {
    static std::vector<const char*> parts;
    return parts;
}

std::mutex& SchemaMutex() {
    static std::mutex mutex;
    return mutex;
}

// How often this process has prepared each statement text, so that a text prepared again (where
// a kept statement should have served) can be found. Touched only when SQLite parses a text.
struct PrepareCounts {
    std::mutex mutex;
    std::unordered_map<std::string, size_t> counts;
};

PrepareCounts& Prepares() {
    static auto* prepares = new PrepareCounts;  // never destroyed: threads may prepare during exit
    return *prepares;
}

void CountPrepare(const char* sql) {
    PrepareCounts& prepares = Prepares();
    size_t count = 0;
    {
        std::lock_guard lock(prepares.mutex);
        count = ++prepares.counts[sql];
    }
    if (count < 2) return;
    static const char* const log = std::getenv("PALVEX_PREPARE_LOG");
    if (!log || !*log) return;
    std::string text = sql;
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::ofstream(log, std::ios::app) << getpid() << '\t' << program_invocation_short_name << '\t' << count << '\t' << text
                                      << '\n';
}

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string("machine database: ") + what + ": " + (db ? sqlite3_errmsg(db) : "no connection"));
}

void Exec(sqlite3* db, const char* sql) {
    CountPrepare(sql);
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw std::runtime_error(std::string("machine database: ") + text);
    }
}

// Holds an exclusive advisory lock on a file beside the database while it lives. Switching a
// fresh database to write-ahead logging needs an exclusive lock that SQLite may refuse at once
// (without its busy wait) when another process is opening the same file, so the setup of a
// connection runs under this lock.
class SetupLock {
public:
    explicit SetupLock(const std::filesystem::path& file) : m_fd(open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (m_fd >= 0)
            while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~SetupLock() {
        if (m_fd >= 0) close(m_fd);
    }
    SetupLock(const SetupLock&) = delete;
    SetupLock& operator=(const SetupLock&) = delete;

private:
    int m_fd;
};

sqlite3* OpenDatabase(const std::filesystem::path& root) {
    std::filesystem::create_directories(root);
    const std::filesystem::path file = root / "machine.db";
    SetupLock setupLock(root / "machine.db.setup");
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        throw std::runtime_error("machine database: cannot open " + file.string() + ": " + text);
    }
    try {
        sqlite3_busy_timeout(db, kBusyWaitMilliseconds);
        sqlite3_extended_result_codes(db, 1);
        Exec(db, "PRAGMA journal_mode=WAL");
        Exec(db, "PRAGMA synchronous=NORMAL");
        Exec(db, "PRAGMA foreign_keys=ON");
        std::vector<const char*> parts;
        {
            std::lock_guard lock(SchemaMutex());
            parts = SchemaParts();
        }
        Exec(db, "BEGIN IMMEDIATE");
        try {
            for (const char* sql : parts) Exec(db, sql);
            Exec(db, "COMMIT");
        } catch (...) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    return db;
}

// The process id, kept so that the check on every statement costs no system call; a forked child
// learns its own at the fork.
pid_t ProcessId() {
    static pid_t pid = [] {
        pthread_atfork(nullptr, nullptr, [] { pid = getpid(); });
        return getpid();
    }();
    return pid;
}

// Distinct statement texts a connection keeps prepared, and idle copies of one text.
constexpr size_t kKeptStatementTexts = 256;
constexpr size_t kKeptCopiesOfOneText = 4;

// This thread's connection. A connection inherited through fork belongs to the parent: the child
// neither uses nor closes it.
//
// Preparing a statement (parsing and planning its SQL) costs far more than running it, and the
// readers ask the same few questions over and over (the OS profile on every code-page conversion,
// printer data, strings), so a finished statement is reset and kept for the next use of the same
// text. A kept statement holds no data and no read transaction: each use reads the database
// afresh, so other connections' and processes' writes are seen as before.
struct Connection {
    sqlite3* db = nullptr;
    std::filesystem::path root;
    uint64_t generation = 0;
    pid_t pid = 0;
    int transactionDepth = 0;
    bool readScope = false;  // the open transaction is a ReadScope's
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> idle;

    void Close() {
        if (db && pid == ProcessId()) {
            for (auto& [sql, statements] : idle)
                for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
            sqlite3_close_v2(db);
        }
        idle.clear();
        readScope = false;
        db = nullptr;
        root.clear();
        generation = 0;
        transactionDepth = 0;
    }
    ~Connection() { Close(); }
};

thread_local Connection t_connection;

sqlite3* ThreadConnection() {
    Connection& c = t_connection;
    if (c.db && c.pid != ProcessId()) {
        c.db = nullptr;  // the parent's; left alone, with its kept statements
        c.idle.clear();
        c.transactionDepth = 0;
        c.readScope = false;
    }
    const uint64_t generation = RootGeneration();
    if (c.db && c.generation == generation) return c.db;
    if (c.db && c.transactionDepth > 0) return c.db;  // a transaction finishes on the root it began on
    std::filesystem::path root = CurrentRoot();
    if (c.db && c.root == root) {
        c.generation = generation;
        return c.db;
    }
    c.Close();
    c.db = OpenDatabase(root);
    c.root = std::move(root);
    c.generation = generation;
    c.pid = ProcessId();
    return c.db;
}

}  // namespace

SchemaPart::SchemaPart(const char* sql) {
    std::lock_guard lock(SchemaMutex());
    SchemaParts().push_back(sql);
}

void CreateDatabase(const std::filesystem::path& root) {
    sqlite3_close_v2(OpenDatabase(root));
}

void CloseThreadConnection() {
    if (t_connection.transactionDepth == 0) t_connection.Close();
}

Statement::Statement(const char* sql) : m_db(ThreadConnection()), m_stmt(nullptr) {
    const auto kept = t_connection.idle.find(sql);
    if (kept != t_connection.idle.end() && !kept->second.empty()) {
        m_stmt = kept->second.back();
        kept->second.pop_back();
        return;
    }
    CountPrepare(sql);
    if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) Fail(m_db, "prepare");
}

Statement::~Statement() {
    Connection& c = t_connection;
    // Kept only while it belongs to this thread's open connection; the reset ends its read or
    // write and drops its bindings.
    if (m_stmt && m_db == c.db && c.pid == ProcessId()) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        try {
            const char* sql = sqlite3_sql(m_stmt);
            auto kept = c.idle.find(sql);
            if (kept == c.idle.end() && c.idle.size() < kKeptStatementTexts) kept = c.idle.try_emplace(sql).first;
            if (kept != c.idle.end() && kept->second.size() < kKeptCopiesOfOneText) {
                kept->second.push_back(m_stmt);
                return;
            }
        } catch (...) {  // out of memory: the statement is simply not kept
        }
    }
    sqlite3_finalize(m_stmt);
}

Statement& Statement::Bind(int index, int64_t value) {
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK) Fail(m_db, "bind");
    return *this;
}

Statement& Statement::Bind(int index, const std::u16string& text) {
    return Bind(index, text::ToUtf8(text));
}

Statement& Statement::Bind(int index, const std::string& text) {
    if (sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        Fail(m_db, "bind");
    return *this;
}

Statement& Statement::BindName(int index, const std::u16string& name) {
    Bind(index, name);
    return Bind(index + 1, FoldKey(name));
}

Statement& Statement::BindBlob(int index, const void* data, size_t size) {
    // An empty value is an empty blob, never NULL.
    const int rc = size == 0 ? sqlite3_bind_zeroblob(m_stmt, index, 0)
                             : sqlite3_bind_blob64(m_stmt, index, data, size, SQLITE_TRANSIENT);
    if (rc != SQLITE_OK) Fail(m_db, "bind");
    return *this;
}

Statement& Statement::BindNull(int index) {
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK) Fail(m_db, "bind");
    return *this;
}

bool Statement::Step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(m_db, "step");
}

void Statement::Run() {
    while (Step()) {
    }
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::Text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? std::string(data, static_cast<size_t>(size)) : std::string();
}

std::u16string Statement::Text16(int column) const {
    return text::FromUtf8(Text(column));
}

std::vector<uint8_t> Statement::Blob(int column) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}

bool Statement::IsNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

ReadScope::ReadScope() {
    ThreadConnection();
    Connection& c = t_connection;
    if (c.transactionDepth > 0) return;
    Statement("BEGIN").Run();
    c.transactionDepth = 1;
    c.readScope = true;
    m_began = true;
}

ReadScope::~ReadScope() {
    Connection& c = t_connection;
    if (!m_began || !c.readScope || c.transactionDepth != 1) return;
    try {
        Statement("COMMIT").Run();  // it only read; on the connection it began on
    } catch (...) {
    }
    c.transactionDepth = 0;
    c.readScope = false;
}

void Transaction(const std::function<void()>& body) {
    sqlite3* db = ThreadConnection();
    Connection& c = t_connection;
    if (c.readScope && c.transactionDepth == 1) {
        // A read transaction cannot become a write one safely (another process may have written
        // since it began): it ends, the write runs on its own, and the reads go on after it.
        Exec(db, "COMMIT");
        c.transactionDepth = 0;
        c.readScope = false;
        struct Resume {
            sqlite3* db;
            ~Resume() {
                if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK) {
                    t_connection.transactionDepth = 1;
                    t_connection.readScope = true;
                }
            }
        } resume{db};
        Transaction(body);
        return;
    }
    if (c.transactionDepth > 0) {  // nested: part of the outer transaction
        ++c.transactionDepth;
        try {
            body();
        } catch (...) {
            --c.transactionDepth;
            throw;
        }
        --c.transactionDepth;
        return;
    }
    Exec(db, "BEGIN IMMEDIATE");
    c.transactionDepth = 1;
    try {
        body();
        Exec(db, "COMMIT");
    } catch (...) {
        c.transactionDepth = 0;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    c.transactionDepth = 0;
}

std::vector<PreparedText> PreparedTwice() {
    std::vector<PreparedText> twice;
    {
        PrepareCounts& prepares = Prepares();
        std::lock_guard lock(prepares.mutex);
        for (const auto& [sql, count] : prepares.counts)
            if (count > 1) twice.push_back({sql, count});
    }
    std::sort(twice.begin(), twice.end(), [](const PreparedText& a, const PreparedText& b) {
        return a.count != b.count ? a.count > b.count : a.sql < b.sql;
    });
    return twice;
}

int64_t ChangedRows() {
    return sqlite3_changes64(ThreadConnection());
}

int64_t LastInsertId() {
    return sqlite3_last_insert_rowid(ThreadConnection());
}

std::string FoldKey(const std::u16string& name) {
    return text::ToUtf8(text::Upcase(name));
}

}  // namespace palvex::db
