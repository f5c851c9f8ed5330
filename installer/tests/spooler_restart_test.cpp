// Restarting the spooler with its dependent services, on the machine's virtual clock.
#include <palvex/services.h>
#include <win/winspool.h>
#include <win/winsvc.h>

#include "spooler_restart.h"
#include "worker_fixture.h"

namespace {

using pardex::testing::WorkerMachine;

class SpoolerRestart : public WorkerMachine {
protected:
    struct Outcome {
        BOOL restarted;
        DWORD error;
        int stopPhase;
    };
    Outcome Restart() {
        CRestartService restart(&m_drvData);
        Outcome outcome{};
        outcome.restarted = restart.RestartService(outcome.error, outcome.stopPhase);
        return outcome;
    }
};

TEST_F(SpoolerRestart, StopsDependentsFirstAndStartsThemLast) {
    palvex::ServiceDesc dependent;
    dependent.name = u"D";
    dependent.dependsOn = {u"spooler"};
    dependent.stopMs = 2000;  // stop and start take time on the machine clock
    dependent.startMs = 1500;
    palvex::AddService(dependent);
    palvex::SetServiceTiming(u"spooler", 3000, 2500);

    const Outcome outcome = Restart();
    EXPECT_TRUE(outcome.restarted);
    EXPECT_EQ(outcome.error, 0u);
    EXPECT_EQ(outcome.stopPhase, 0);
    EXPECT_EQ(palvex::ServiceState(u"spooler"), SERVICE_RUNNING);
    EXPECT_EQ(palvex::ServiceState(u"D"), SERVICE_RUNNING);
    const size_t stopD = LogAt("[LV3] Add list : D\r\n"), stopSpooler = LogAt("[LV3] Add list : spooler\r\n");
    const size_t startSpooler = LogAt("[LV3] Start [1] spooler\r\n"), startD = LogAt("[LV3] Start [0] D\r\n");
    ASSERT_NE(stopD, std::string::npos);
    ASSERT_NE(startD, std::string::npos);
    EXPECT_LT(stopD, stopSpooler);
    EXPECT_LT(stopSpooler, startSpooler);
    EXPECT_LT(startSpooler, startD);
    EXPECT_TRUE(LogHas("[LV1] RestartService:spooler\r\n"));
}

TEST_F(SpoolerRestart, AStoppedSpoolerIsOnlyStarted) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE);
    SC_HANDLE spooler = OpenServiceW(manager, u"spooler", SERVICE_STOP);
    SERVICE_STATUS status{};
    ASSERT_TRUE(ControlService(spooler, SERVICE_CONTROL_STOP, &status));
    CloseServiceHandle(spooler);
    CloseServiceHandle(manager);

    // Meanwhile every spooler call fails as the spooler's RPC server is gone.
    DWORD needed = 0, count = 0;
    EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));

    CRestartService restart(&m_drvData);
    DWORD error = 0;
    int stopPhase = -1;
    EXPECT_TRUE(restart.RestartService(error, stopPhase));
    ASSERT_EQ(restart.m_stopped.size(), 1u);  // spooler added by the start phase, not the stop phase
    EXPECT_TRUE(LogHas("[LV3] already SERVICE_STOPPED\r\n"));
    EXPECT_FALSE(LogHas("Add list"));
    EXPECT_EQ(palvex::ServiceState(u"spooler"), SERVICE_RUNNING);
    EXPECT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count));
}

TEST_F(SpoolerRestart, PhasesThatRunOutOfTime) {
    struct Case {
        const char* name;
        bool alreadyStopping;  // someone else's stop that never finishes
        DWORD stopMs, startMs;
        DWORD error;
        int stopPhase;
    };
    const Case cases[] = {
        {"stop pending before the restart", true, palvex::kNever, 0, ERROR_TIMEOUT, 1},
        {"our stop never finishes", false, palvex::kNever, 0, ERROR_SERVICE_REQUEST_TIMEOUT, 1},
        {"the start never finishes", false, 0, palvex::kNever, ERROR_SERVICE_REQUEST_TIMEOUT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        palvex::ServiceDesc spooler;
        spooler.name = u"Spooler";
        spooler.stopMs = c.stopMs;
        spooler.startMs = c.startMs;
        palvex::AddService(spooler);
        if (c.alreadyStopping) {
            SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_EXECUTE);
            SC_HANDLE service = OpenServiceW(manager, u"spooler", SERVICE_STOP);
            SERVICE_STATUS status{};
            ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
            EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
            CloseServiceHandle(service);
            CloseServiceHandle(manager);
        }
        const DWORD before = GetTickCount();
        const Outcome outcome = Restart();
        EXPECT_FALSE(outcome.restarted);
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.stopPhase, c.stopPhase);
        EXPECT_GT(GetTickCount() - before, 30000u);  // the phase's limit passed on the machine clock
    }
}

}  // namespace
