// The kit status codes reported while a StatusLog lives. Test programs link with
// -Wl,--wrap=ReportStatus so that every report passes through the log on its way to the real
// ReportStatus (whose severity is returned unchanged).
#pragma once

#include <vector>

#include <win/wintypes.h>

namespace xprtest {

class StatusLog {
public:
    StatusLog();
    ~StatusLog();
    StatusLog(const StatusLog&) = delete;
    StatusLog& operator=(const StatusLog&) = delete;

    const std::vector<DWORD>& codes() const { return m_codes; }
    // The last code reported, or 0 when none was.
    DWORD last() const { return m_codes.empty() ? 0 : m_codes.back(); }
    void clear() { m_codes.clear(); }

private:
    friend void RecordStatus(DWORD code);
    std::vector<DWORD> m_codes;
    StatusLog* m_previous;
};

}  // namespace xprtest
