// The installer's log: one UTF-16LE text file in the user's temporary folder, appended to by every
// run, each line "hh:mm:ss.mmm [LVn] message" with the message's own CR LF.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include <win/windows.h>

class CInstallLog {
public:
    CInstallLog() = default;
    ~CInstallLog() { Close(); }
    CInstallLog(const CInstallLog&) = delete;
    CInstallLog& operator=(const CInstallLog&) = delete;

    // Opens (or creates) the file for appending, readable and writable by others meanwhile, and
    // writes "Log Open" at level 1. FALSE when the file cannot be opened (lines are then dropped).
    BOOL Open(const std::u16string& path, int level);
    // Writes one line when level is at most the log's level (compared unsigned) and the file is open.
    void Write(int level, const std::u16string& message);
    // Writes "Log Close" and closes the file.
    void Close();

    const std::u16string& path() const { return m_path; }
    int level() const { return m_level; }

private:
    std::u16string m_path;
    int m_level = 1;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    std::mutex m_lock;  // one line at a time from the interface and worker threads
};

// The log of the main dialog's settings object, for routines that have no settings object; null
// before the main dialog has set it.
extern CInstallLog* g_pInstallLog;
// Formats and writes through g_pInstallLog when it is set.
void WriteGlobalLog(int level, const char16_t* format, ...);
