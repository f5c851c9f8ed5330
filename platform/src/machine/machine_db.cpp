// SQLite connections to the current machine root, one for each thread using the database at the
// moment, each with the statements prepared on it. Separate processes share the
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
    // Never destroyed: threads may prepare during exit. A forked child counts afresh, on a mutex no
    // thread of the parent may have held at the fork.
    static PrepareCounts* prepares = [] {
        pthread_atfork(nullptr, nullptr, [] { prepares = new PrepareCounts; });
        return new PrepareCounts;
    }();
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

// The process id, kept so that the check on every statement costs no system call; a forked child
// learns its own at the fork.
pid_t ProcessId() {
    static pid_t pid = [] {
        pthread_atfork(nullptr, nullptr, [] { pid = getpid(); });
        return getpid();
    }();
    return pid;
}

// A connection and the statements it keeps prepared. Preparing a statement (parsing and planning
// its SQL) costs far more than running it, and the readers ask the same few questions over and
// over (the OS profile on every code-page conversion, printer data, strings), so a finished
// statement is reset and kept for the next use of the same text. A kept statement holds no data
// and no read transaction: each use reads the database afresh, so other connections' and
// processes' writes are seen as before.
struct OpenConnection {
    sqlite3* db = nullptr;
    std::filesystem::path root;
    uint64_t generation = 0;  // the RootGeneration at which root was last the current root
    pid_t pid = 0;
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> idle;

    // Finalizes the kept statements and closes the database, unless the connection was inherited
    // through fork (it belongs to the parent: the child neither uses nor closes it).
    void Close() {
        if (db && pid == ProcessId()) {
            for (auto& [sql, statements] : idle)
                for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
            sqlite3_close_v2(db);
        }
        idle.clear();
        db = nullptr;
        root.clear();
        generation = 0;
    }
};

// Distinct statement texts a connection keeps prepared, and idle copies of one text. The
// platform's statements are a few hundred fixed texts; copies are needed only while statements of
// one text are alive at once (a lookup made while an enumeration of the same query runs).
constexpr size_t kKeptStatementTexts = 1024;
constexpr size_t kKeptCopiesOfOneText = 4;

// A kept statement of sql on connection, else a new one.
sqlite3_stmt* TakeStatement(OpenConnection& connection, const char* sql) {
    const auto kept = connection.idle.find(sql);
    if (kept != connection.idle.end() && !kept->second.empty()) {
        sqlite3_stmt* statement = kept->second.back();
        kept->second.pop_back();
        return statement;
    }
    CountPrepare(sql);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection.db, sql, -1, &statement, nullptr) != SQLITE_OK) Fail(connection.db, "prepare");
    return statement;
}

// Keeps a finished statement of db for the next use of its text, while db is still connection's
// open database; the reset ends its read or write and drops its bindings.
void GiveBackStatement(OpenConnection& c, sqlite3* db, sqlite3_stmt* statement) {
    if (statement && db == c.db && c.pid == ProcessId()) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        try {
            const char* sql = sqlite3_sql(statement);
            auto kept = c.idle.find(sql);
            if (kept == c.idle.end() && c.idle.size() < kKeptStatementTexts) kept = c.idle.try_emplace(sql).first;
            if (kept != c.idle.end() && kept->second.size() < kKeptCopiesOfOneText) {
                kept->second.push_back(statement);
                return;
            }
        } catch (...) {  // out of memory: the statement is simply not kept
        }
    }
    sqlite3_finalize(statement);
}

// Runs a transaction-control statement (BEGIN, COMMIT, ROLLBACK) on connection through its kept
// statements; false with the error's text in what when it fails.
bool Control(OpenConnection& connection, const char* sql, std::string* what = nullptr) {
    sqlite3* const db = connection.db;
    sqlite3_stmt* statement = nullptr;
    try {
        statement = TakeStatement(connection, sql);
    } catch (const std::exception& e) {
        if (what) *what = e.what();
        return false;
    }
    const int rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE && what) *what = std::string("machine database: ") + sqlite3_errmsg(db);
    GiveBackStatement(connection, db, statement);
    return rc == SQLITE_DONE;
}

void RunControl(OpenConnection& connection, const char* sql) {
    std::string what;
    if (!Control(connection, sql, &what)) throw std::runtime_error(what);
}

// A new connection to root's database, set up: the root folder and the database are created when
// missing, and every SchemaPart's tables (IF NOT EXISTS).
OpenConnection OpenDatabase(const std::filesystem::path& root) {
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
    OpenConnection connection;
    connection.db = db;
    connection.root = root;
    connection.pid = ProcessId();
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
        RunControl(connection, "BEGIN IMMEDIATE");
        try {
            for (const char* sql : parts) Exec(db, sql);
            RunControl(connection, "COMMIT");
        } catch (...) {
            Control(connection, "ROLLBACK");
            throw;
        }
    } catch (...) {
        connection.Close();
        throw;
    }
    return connection;
}

// Connections no thread is using, with their kept statements, for the next thread of the process
// that needs one on the same root. Threads come and go (the installer starts one per step, the
// watchers end with their last watch), and each would otherwise open a connection and prepare
// every statement again. A connection is parked only between transactions, so a thread that takes
// one finds it as a new one would be, but for its kept statements. At exit the parked connections
// are closed (the last close of the database folds its log back into it, as before).
struct ParkedConnections {
    std::mutex mutex;
    std::vector<OpenConnection> connections;
    bool ended = false;  // the process is exiting: connections are closed rather than parked
};

void CloseParkedAtExit();

ParkedConnections& Parked() {
    // Never destroyed: detached threads may let go of their connections while the process exits.
    // A forked child starts with none (the parent's are the parent's), on a mutex no thread of the
    // parent may have held at the fork.
    static ParkedConnections* parked = [] {
        std::atexit(CloseParkedAtExit);
        pthread_atfork(nullptr, nullptr, [] { parked = new ParkedConnections; });
        return new ParkedConnections;
    }();
    return *parked;
}

void CloseParkedAtExit() {
    ParkedConnections& parked = Parked();
    std::lock_guard lock(parked.mutex);
    parked.ended = true;
    for (OpenConnection& connection : parked.connections) connection.Close();
    parked.connections.clear();
}

// Parked connections kept at most; a program that sets up many machines closes the rest.
constexpr size_t kParkedConnections = 16;

// Parks connection (left empty) while its root is the current one, or any root when a machine is
// being set up before the process switches to it; else closes it.
void Park(OpenConnection& connection, bool anyRoot = false) {
    if (connection.db && connection.pid == ProcessId() &&
        (anyRoot || connection.generation == RootGeneration() || connection.root == CurrentRoot())) {
        ParkedConnections& parked = Parked();
        std::lock_guard lock(parked.mutex);
        if (!parked.ended && parked.connections.size() < kParkedConnections) {
            try {
                parked.connections.push_back(std::move(connection));
                connection = OpenConnection{};
                return;
            } catch (...) {  // out of memory: closed instead
            }
        }
    }
    connection.Close();
}

// Closes this process's parked connections that keep is false for.
template <typename Keep>
void CloseParked(Keep keep) {
    ParkedConnections& parked = Parked();
    std::lock_guard lock(parked.mutex);
    for (auto it = parked.connections.begin(); it != parked.connections.end();) {
        if (it->pid == ProcessId() && !keep(*it)) {
            it->Close();
            it = parked.connections.erase(it);
        } else {
            ++it;
        }
    }
}

// A parked connection of this process that fits, if there is one.
template <typename Fits>
OpenConnection TakeParked(Fits fits) {
    ParkedConnections& parked = Parked();
    std::lock_guard lock(parked.mutex);
    for (auto it = parked.connections.begin(); it != parked.connections.end(); ++it) {
        if (it->pid == ProcessId() && fits(*it)) {
            OpenConnection taken = std::move(*it);
            parked.connections.erase(it);
            return taken;
        }
    }
    return {};
}

// This thread's connection, held while the thread uses it: from the start of a statement,
// transaction or ReadScope until the last of them ends. Between uses it is parked, so that the
// process opens (and prepares statements on) only as many connections as threads use at once: the
// installer's worker, for one, runs on the connection its window thread is not using meanwhile.
struct Connection : OpenConnection {
    int transactionDepth = 0;
    bool readScope = false;  // the open transaction is a ReadScope's
    int uses = 0;            // statements alive on this thread, and holds across a transaction's parts
    // The last write statement's figures, for ChangedRows and LastInsertId asked after it ended.
    int64_t changes = 0;
    int64_t lastInsert = 0;

    // Parks the connection when nothing on this thread uses it and no transaction is open on it.
    void ReleaseIfIdle() {
        if (db && uses == 0 && transactionDepth == 0 && pid == ProcessId() && sqlite3_get_autocommit(db)) {
            Park(*this);
            Forget();
        }
    }
    // Lets go of the connection: parked when idle (for the process's next use while its root is
    // current), else closed (statements still alive keep it until they are finalized).
    void Release() {
        ReleaseIfIdle();
        if (transactionDepth == 0) {
            Close();
            Forget();
        }
    }
    void Forget() {
        readScope = false;
        transactionDepth = 0;
    }
    ~Connection() {
        uses = 0;
        transactionDepth = 0;
        Release();
    }
};

thread_local Connection t_connection;

sqlite3* ThreadConnection() {
    Connection& c = t_connection;
    if (c.db && c.pid != ProcessId()) {
        c.db = nullptr;  // the parent's; left alone, with its kept statements
        c.idle.clear();
        c.Forget();
    }
    const uint64_t generation = RootGeneration();
    if (c.db && c.generation == generation) return c.db;
    if (c.db && c.transactionDepth > 0) return c.db;  // a transaction finishes on the root it began on
    if (c.db) {
        if (c.root == CurrentRoot()) {
            c.generation = generation;
            return c.db;
        }
        c.Close();
        c.Forget();
    }
    OpenConnection taken = TakeParked([generation](const OpenConnection& parked) { return parked.generation == generation; });
    if (!taken.db) {
        const std::filesystem::path root = CurrentRoot();
        taken = TakeParked([&root](const OpenConnection& parked) { return parked.root == root; });
        if (!taken.db) taken = OpenDatabase(root);
    }
    static_cast<OpenConnection&>(c) = std::move(taken);
    c.generation = generation;
    return c.db;
}

}  // namespace

SchemaPart::SchemaPart(const char* sql) {
    std::lock_guard lock(SchemaMutex());
    SchemaParts().push_back(sql);
}

void CreateDatabase(const std::filesystem::path& root) {
    // Connections parked on the root are of a database that may have been removed since.
    CloseParked([&root](const OpenConnection& parked) { return parked.root != root; });
    // Parked for the first thread that uses the root, so that it need not set up a connection of
    // its own; closed if the process switches to another root first.
    OpenConnection created = OpenDatabase(root);
    Park(created, true);
}

void CloseThreadConnection() {
    if (t_connection.transactionDepth == 0) t_connection.Release();
    // Connections to a machine the process no longer uses are closed, so its folder can go.
    const std::filesystem::path current = CurrentRoot();
    CloseParked([&current](const OpenConnection& parked) { return parked.root == current; });
}

Statement::Statement(const char* sql) : m_db(ThreadConnection()), m_stmt(nullptr) {
    Connection& c = t_connection;
    ++c.uses;
    try {
        m_stmt = TakeStatement(c, sql);
    } catch (...) {
        --c.uses;
        c.ReleaseIfIdle();
        throw;
    }
}

Statement::~Statement() {
    Connection& c = t_connection;
    if (m_stmt && m_db == c.db && !sqlite3_stmt_readonly(m_stmt)) {
        c.changes = sqlite3_changes64(m_db);
        c.lastInsert = sqlite3_last_insert_rowid(m_db);
    }
    GiveBackStatement(c, m_db, m_stmt);
    --c.uses;
    c.ReleaseIfIdle();
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
    c.ReleaseIfIdle();
}

void Transaction(const std::function<void()>& body) {
    sqlite3* db = ThreadConnection();
    Connection& c = t_connection;
    if (c.readScope && c.transactionDepth == 1) {
        // A read transaction cannot become a write one safely (another process may have written
        // since it began): it ends, the write runs on its own, and the reads go on after it.
        RunControl(c, "COMMIT");
        c.transactionDepth = 0;
        c.readScope = false;
        // Held between the write and the reads that go on after it.
        ++c.uses;
        struct Resume {
            sqlite3* db;
            ~Resume() {
                Connection& c = t_connection;
                if (c.db == db && Control(c, "BEGIN")) {
                    c.transactionDepth = 1;
                    c.readScope = true;
                }
                --c.uses;
                c.ReleaseIfIdle();
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
    try {
        RunControl(c, "BEGIN IMMEDIATE");
    } catch (...) {
        c.ReleaseIfIdle();
        throw;
    }
    c.transactionDepth = 1;
    try {
        body();
        RunControl(c, "COMMIT");
    } catch (...) {
        c.transactionDepth = 0;
        Control(c, "ROLLBACK");
        c.ReleaseIfIdle();
        throw;
    }
    c.transactionDepth = 0;
    c.ReleaseIfIdle();
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
    const Connection& c = t_connection;
    return c.db ? sqlite3_changes64(c.db) : c.changes;
}

int64_t LastInsertId() {
    const Connection& c = t_connection;
    return c.db ? sqlite3_last_insert_rowid(c.db) : c.lastInsert;
}

std::string FoldKey(const std::u16string& name) {
    return text::ToUtf8(text::Upcase(name));
}

}  // namespace palvex::db
