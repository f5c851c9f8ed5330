// The installer's log file.
#include "install_log.h"

#include <cstdarg>

#include "utilities.h"

CInstallLog* g_pInstallLog = nullptr;

BOOL CInstallLog::Open(const std::u16string& path, int level) {
    m_path = path;
    m_level = level;
    m_file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) return FALSE;
    SetFilePointer(m_file, 0, nullptr, FILE_END);
    Write(1, u"Log Open\r\n");
    return TRUE;
}

void CInstallLog::Write(int level, const std::u16string& message) {
    if (static_cast<unsigned>(level) > static_cast<unsigned>(m_level) || m_file == INVALID_HANDLE_VALUE) return;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    WCHAR prefix[64];
    _snwprintf(prefix, 64, u"%02d:%02d:%02d.%03d [LV%d] ", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, level);
    const std::u16string line = prefix + message;
    std::lock_guard lock(m_lock);
    DWORD written = 0;
    WriteFile(m_file, line.data(), static_cast<DWORD>(line.size() * sizeof(char16_t)), &written, nullptr);
}

void CInstallLog::Close() {
    if (m_file == INVALID_HANDLE_VALUE) return;
    Write(1, u"Log Close\r\n");
    CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}

void WriteGlobalLog(int level, const char16_t* format, ...) {
    if (!g_pInstallLog) return;
    va_list arguments;
    va_start(arguments, format);
    bool whole = false;
    const std::u16string line = FormatTextV(1023, format, arguments, &whole);
    va_end(arguments);
    if (whole) g_pInstallLog->Write(level, line);
}
