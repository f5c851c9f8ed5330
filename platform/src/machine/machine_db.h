// The machine's state database (internal to the platform library).
//
// One SQLite database, "machine.db" in the machine root, holds every piece of shared state. Each
// platform file that keeps state declares its own tables with a SchemaPart at namespace scope;
// the tables are created (IF NOT EXISTS) when a connection to a root is opened. Every call reads
// and writes the database (a connection keeps prepared statements, never data), so separate
// processes see each other's writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace palvex::db {

// Registers table definitions ("CREATE TABLE IF NOT EXISTS ..." statements, ';'-separated)
// and optional default rows ("INSERT OR IGNORE ..."), run on every new connection.
struct SchemaPart {
    explicit SchemaPart(const char* sql);
};

// A prepared statement on this thread's connection (held by the thread while the statement lives). Binding indexes start at 1, columns at 0.
// Every failure (including a database that stays busy past the wait) throws std::runtime_error.
class Statement {
public:
    explicit Statement(const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value);
    Statement& Bind(int index, const std::u16string& text);  // stored as UTF-8 text
    Statement& Bind(int index, const std::string& text);
    Statement& BindBlob(int index, const void* data, size_t size);
    Statement& BindNull(int index);
    // Binds the UTF-16 text and, at index + 1, its FoldKey.
    Statement& BindName(int index, const std::u16string& name);

    // Next row: true while there is one. Throws std::runtime_error on database errors.
    bool Step();
    // Runs to completion (for writes).
    void Run();

    int64_t Int(int column) const;
    std::u16string Text16(int column) const;
    std::string Text(int column) const;
    std::vector<uint8_t> Blob(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
};

// Creates the root folder and its database (every SchemaPart) when missing, without switching
// this thread's connection to it.
void CreateDatabase(const std::filesystem::path& root);

// Lets go of this thread's connection (kept open, with its prepared statements, for the process's
// next use while its root stays the current one; else closed) and closes the kept connections to
// other roots. Called when the root changes, before a machine folder is removed, and by threads
// that end.
void CloseThreadConnection();

// Runs body inside one write transaction (BEGIN IMMEDIATE ... COMMIT, rolled back on exception).
void Transaction(const std::function<void()>& body);

// While it lives, this thread's reads share one read transaction (the database is locked once for
// all of them rather than once per statement). Inside a transaction already open it does nothing.
// A write transaction begun in its scope ends the read first and begins a new one after it; a
// scope must not hold writes made outside a Transaction.
class ReadScope {
public:
    ReadScope();
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    bool m_began = false;
};

// Number of rows the last write on this thread changed.
int64_t ChangedRows();

// Row id of the last insert on this thread.
int64_t LastInsertId();

// Case-insensitive key used for names the platform compares without regard to case
// (printer names, registry paths, value names): the UTF-8 of the upper-cased text.
std::string FoldKey(const std::u16string& name);

// The process's current root and a number that changes whenever SetMachineRoot is called, so a
// connection knows cheaply when it must check whether its root is still the current one.
std::filesystem::path CurrentRoot();
uint64_t RootGeneration();

}  // namespace palvex::db
