// What the window system records of help, shell starts and input contexts.
#include "user/ui_records.h"

#include <mutex>
#include <utility>

namespace {

struct Records {
    std::mutex mutex;
    std::vector<palvex::HelpCall> help;
    std::vector<palvex::ShellStart> starts;
    std::vector<palvex::InputContextMove> contexts;
    int refusals = 0;
};

Records& TheRecords() {
    static auto* records = new Records;  // outlives every static destructor
    return *records;
}

}  // namespace

namespace palvex::win {

void RecordHelpCall(const HelpCall& call) {
    Records& records = TheRecords();
    std::lock_guard lock(records.mutex);
    records.help.push_back(call);
}

bool RecordShellStart(ShellStart start) {
    Records& records = TheRecords();
    std::lock_guard lock(records.mutex);
    start.started = records.refusals == 0;
    if (records.refusals > 0) --records.refusals;
    records.starts.push_back(start);
    return start.started;
}

void RecordInputContextMove(const InputContextMove& move) {
    Records& records = TheRecords();
    std::lock_guard lock(records.mutex);
    records.contexts.push_back(move);
}

}  // namespace palvex::win

namespace palvex {

std::vector<HelpCall> TakeHelpCalls() {
    Records& records = TheRecords();
    std::lock_guard lock(records.mutex);
    return std::exchange(records.help, {});
}

std::vector<ShellStart> TakeShellStarts() {
    Records& records = TheRecords();
    std::lock_guard lock(records.mutex);
    return std::exchange(records.starts, {});
}

std::vector<InputContextMove> TakeInputContextMoves() {
    Records& records = TheRecords();
    std::lock_guard lock(records.mutex);
    return std::exchange(records.contexts, {});
}

void RefuseShellStarts(int count) {
    Records& records = TheRecords();
    std::lock_guard lock(records.mutex);
    records.refusals = count;
}

void ResetUiRecords() {
    Records& records = TheRecords();
    std::lock_guard lock(records.mutex);
    records.help.clear();
    records.starts.clear();
    records.contexts.clear();
    records.refusals = 0;
}

}  // namespace palvex
