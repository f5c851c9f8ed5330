#include "status_log.h"

extern "C" DWORD __real_ReportStatus(DWORD code, ...);

namespace xprtest {

namespace {
thread_local StatusLog* t_log = nullptr;
}  // namespace

StatusLog::StatusLog() : m_previous(t_log) {
    t_log = this;
}

StatusLog::~StatusLog() {
    t_log = m_previous;
}

void RecordStatus(DWORD code) {
    if (t_log) t_log->m_codes.push_back(code);
}

}  // namespace xprtest

// The message arguments are not passed on: ReportStatus does not read them.
extern "C" DWORD __wrap_ReportStatus(DWORD code, ...) {
    xprtest::RecordStatus(code);
    return __real_ReportStatus(code);
}
