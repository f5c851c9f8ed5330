// The service control manager: open it and a service, ask a service's state, stop and start it,
// and list the services that depend on it. The machine keeps its services (the print spooler
// "spooler" on every machine, others a test adds through palvex/services.h) with their states.
// A stop or a start takes the time the machine gives the service on the machine clock: the
// service stays STOP_PENDING or START_PENDING until GetTickCount reaches its end.
#pragma once

#include <win/wintypes.h>

typedef HANDLE SC_HANDLE;

#define SC_MANAGER_CONNECT 0x0001
#define SC_MANAGER_ALL_ACCESS 0xF003F
#define SERVICE_QUERY_STATUS 0x0004
#define SERVICE_ENUMERATE_DEPENDENTS 0x0008
#define SERVICE_START 0x0010
#define SERVICE_STOP 0x0020
#ifndef GENERIC_EXECUTE
#define GENERIC_EXECUTE 0x20000000L
#endif

#define SERVICE_STOPPED 0x00000001
#define SERVICE_START_PENDING 0x00000002
#define SERVICE_STOP_PENDING 0x00000003
#define SERVICE_RUNNING 0x00000004

#define SERVICE_CONTROL_STOP 0x00000001

#define SERVICE_ACTIVE 0x00000001
#define SERVICE_INACTIVE 0x00000002
#define SERVICE_STATE_ALL 0x00000003

#define SERVICE_WIN32_OWN_PROCESS 0x00000010
#define SERVICE_ACCEPT_STOP 0x00000001

#ifndef ERROR_DEPENDENT_SERVICES_RUNNING
#define ERROR_DEPENDENT_SERVICES_RUNNING 1051L
#endif
#ifndef ERROR_SERVICE_REQUEST_TIMEOUT
#define ERROR_SERVICE_REQUEST_TIMEOUT 1053L
#endif
#ifndef ERROR_SERVICE_ALREADY_RUNNING
#define ERROR_SERVICE_ALREADY_RUNNING 1056L
#endif
#ifndef ERROR_SERVICE_DOES_NOT_EXIST
#define ERROR_SERVICE_DOES_NOT_EXIST 1060L
#endif
#ifndef ERROR_SERVICE_CANNOT_ACCEPT_CTRL
#define ERROR_SERVICE_CANNOT_ACCEPT_CTRL 1061L
#endif
#ifndef ERROR_SERVICE_NOT_ACTIVE
#define ERROR_SERVICE_NOT_ACTIVE 1062L
#endif
#ifndef ERROR_TIMEOUT
#define ERROR_TIMEOUT 1460L
#endif

typedef struct _SERVICE_STATUS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
} SERVICE_STATUS, *LPSERVICE_STATUS;
static_assert(sizeof(SERVICE_STATUS) == 28);

typedef struct _ENUM_SERVICE_STATUSW {
    LPWSTR lpServiceName;
    LPWSTR lpDisplayName;
    SERVICE_STATUS ServiceStatus;
} ENUM_SERVICE_STATUSW, *LPENUM_SERVICE_STATUSW;
static_assert(sizeof(ENUM_SERVICE_STATUSW) == 48);


// Only the local machine (null or empty machine name) and its active database are known.
WINBASEAPI SC_HANDLE OpenSCManagerW(LPCWSTR lpMachineName, LPCWSTR lpDatabaseName, DWORD dwDesiredAccess);
// ERROR_SERVICE_DOES_NOT_EXIST for a name the machine does not know.
WINBASEAPI SC_HANDLE OpenServiceW(SC_HANDLE hSCManager, LPCWSTR lpServiceName, DWORD dwDesiredAccess);
WINBASEAPI BOOL CloseServiceHandle(SC_HANDLE hSCObject);
WINBASEAPI BOOL QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus);
// SERVICE_CONTROL_STOP: ERROR_SERVICE_NOT_ACTIVE when stopped, ERROR_DEPENDENT_SERVICES_RUNNING
// while an active service depends on it; otherwise it goes STOP_PENDING (or STOPPED at once).
WINBASEAPI BOOL ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus);
// ERROR_SERVICE_ALREADY_RUNNING unless the service is stopped.
WINBASEAPI BOOL StartServiceW(SC_HANDLE hService, DWORD dwNumServiceArgs, LPCWSTR* lpServiceArgVectors);
// The services that depend on this one directly or through others, in the state asked, the
// deepest dependents first. ERROR_MORE_DATA with the size needed when the buffer is too small.
WINBASEAPI BOOL EnumDependentServicesW(SC_HANDLE hService, DWORD dwServiceState, LPENUM_SERVICE_STATUSW lpServices,
                                      DWORD cbBufSize, LPDWORD pcbBytesNeeded, LPDWORD lpServicesReturned);
