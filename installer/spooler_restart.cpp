// CRestartService: the spooler and its active dependents stopped and started again.
#include "spooler_restart.h"

#include <cstdarg>
#include <vector>

#include <win/synchapi.h>

#include "drv_data.h"
#include "utilities.h"

CRestartService::CRestartService(CDrvData* owner, DWORD startLimitMs, DWORD stopLimitMs)
    : m_owner(owner), m_startLimit(startLimitMs), m_stopLimit(stopLimitMs) {}

CRestartService::~CRestartService() {
    if (m_manager) CloseServiceHandle(m_manager);
}

void CRestartService::Log(int level, const char16_t* format, ...) {
    if (!m_owner) return;
    va_list arguments;
    va_start(arguments, format);
    bool whole = false;
    const std::u16string line = FormatTextV(1023, format, arguments, &whole);
    va_end(arguments);
    if (whole) m_owner->WriteLogFormat(level, u"%s", line.c_str());
}

BOOL CRestartService::RestartService(DWORD& error, int& stopPhase) {
    Log(1, u"RestartService:%s\r\n", u"spooler");
    stopPhase = 1;
    error = 0;
    m_manager = OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE);
    if (!m_manager) {
        error = GetLastError();
        Log(1, u"OpenSCManager failed\r\n");
        return FALSE;
    }
    m_phaseStart = GetTickCount();
    error = StopService(u"spooler");
    if (error != 0) return FALSE;
    Sleep(1000);
    stopPhase = 0;
    m_phaseStart = GetTickCount();
    error = StartServices();
    return error == 0;
}

DWORD CRestartService::StopService(const std::u16string& name) {
    SC_HANDLE service =
        OpenServiceW(m_manager, name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS);
    if (!service) {
        Log(3, u"OpenService Error\r\n");
        return GetLastError();
    }
    DWORD result = 0;
    std::vector<BYTE> buffer;
    [&] {
        DWORD waitError = 0;
        if (WaitServiceStopped(service, m_stopLimit, waitError)) return;  // stopped already: nothing to remember
        if (waitError != 0) {
            result = waitError;
            return;
        }
        DWORD needed = 0, count = 0;
        if (!EnumDependentServicesW(service, SERVICE_ACTIVE, nullptr, 0, &needed, &count)) {
            if (GetLastError() != ERROR_MORE_DATA) {
                result = GetLastError();
                return;
            }
            buffer.assign(needed, 0);
            auto* dependents = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
            if (!EnumDependentServicesW(service, SERVICE_ACTIVE, dependents, needed, &needed, &count)) {
                result = GetLastError();
                return;
            }
            for (DWORD i = 0; i < count; ++i) {
                result = StopService(dependents[i].lpServiceName);
                if (result != 0) return;
            }
        }
        SERVICE_STATUS status{};
        if (!ControlService(service, SERVICE_CONTROL_STOP, &status)) {
            result = GetLastError();
            return;
        }
        if (WaitServiceState(m_stopLimit, service, SERVICE_STOPPED, waitError)) {
            Log(3, u"Add list : %s\r\n", name.c_str());
            m_stopped.push_back(name);
        } else {
            result = waitError;
        }
    }();
    CloseServiceHandle(service);
    return result;
}

DWORD CRestartService::StartServices() {
    if (m_stopped.empty()) m_stopped.push_back(u"spooler");
    for (size_t i = m_stopped.size(); i-- > 0;) {
        Log(3, u"Start [%d] %s\r\n", static_cast<int>(i), m_stopped[i].c_str());
        SC_HANDLE service = OpenServiceW(m_manager, m_stopped[i].c_str(),
                                         SERVICE_START | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS);
        if (!service) return GetLastError();
        if (!StartServiceW(service, 0, nullptr)) {
            const DWORD error = GetLastError();
            CloseServiceHandle(service);
            return error;
        }
        DWORD error = 0;
        const BOOL running = WaitServiceState(m_startLimit, service, SERVICE_RUNNING, error);
        CloseServiceHandle(service);
        if (!running) return error;
    }
    return 0;
}

BOOL CRestartService::WaitServiceStopped(SC_HANDLE service, DWORD limitMs, DWORD& error) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) {
        error = GetLastError();
        return FALSE;
    }
    if (status.dwCurrentState == SERVICE_STOPPED) {
        Log(3, u"already SERVICE_STOPPED\r\n");
        return TRUE;
    }
    while (status.dwCurrentState == SERVICE_STOP_PENDING) {
        Sleep(status.dwWaitHint);
        if (!QueryServiceStatus(service, &status)) {
            error = GetLastError();
            return FALSE;
        }
        if (status.dwCurrentState == SERVICE_STOPPED) {
            Log(3, u"SERVICE_STOPPED 2\r\n");
            return TRUE;
        }
        if (GetTickCount() - m_phaseStart > limitMs) {
            Log(3, u"TimeOut\r\n");
            error = ERROR_TIMEOUT;
            return FALSE;
        }
    }
    error = 0;
    return FALSE;
}

BOOL CRestartService::WaitServiceState(DWORD limitMs, SC_HANDLE service, DWORD wantedState, DWORD& error) {
    for (;;) {
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status)) {
            error = GetLastError();
            return FALSE;
        }
        if (status.dwCurrentState == wantedState) return TRUE;
        Sleep(500);
        if (GetTickCount() - m_phaseStart > limitMs) {
            error = ERROR_SERVICE_REQUEST_TIMEOUT;
            return FALSE;
        }
    }
}
