// Restarting the print spooler when it will not let go of a driver: the spooler and every active
// service that depends on it are stopped, dependents first, and started again in the reverse
// order, each phase within its own time limit on the machine clock.
#pragma once

#include <string>
#include <vector>

#include <win/windows.h>
#include <win/winsvc.h>

class CDrvData;

class CRestartService {
public:
    explicit CRestartService(CDrvData* owner, DWORD startLimitMs = 30000, DWORD stopLimitMs = 30000);
    virtual ~CRestartService();
    CRestartService(const CRestartService&) = delete;
    CRestartService& operator=(const CRestartService&) = delete;

    // TRUE when the spooler and its dependents were stopped and started again. error is 0 or the
    // Win32 code of the failure; stopPhase is 1 when it failed opening the manager or stopping,
    // 0 when it failed starting.
    BOOL RestartService(DWORD& error, int& stopPhase);

    DWORD StopService(const std::u16string& name);
    DWORD StartServices();
    // TRUE when the service is stopped (at once or after its stop finished); FALSE with error 0
    // when it runs, or with the error of a failed query or 1460 when the time ran out.
    BOOL WaitServiceStopped(SC_HANDLE service, DWORD limitMs, DWORD& error);
    BOOL WaitServiceState(DWORD limitMs, SC_HANDLE service, DWORD wantedState, DWORD& error);

    CDrvData* m_owner;
    SC_HANDLE m_manager = nullptr;
    std::vector<std::u16string> m_stopped;  // in the order they reached the stopped state
    DWORD m_phaseStart = 0;
    DWORD m_startLimit;
    DWORD m_stopLimit;

private:
    void Log(int level, const char16_t* format, ...);
};
