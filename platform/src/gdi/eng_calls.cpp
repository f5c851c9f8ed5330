// The graphics engine's call log.
#include "gdi/eng_calls.h"

#include <mutex>

namespace palvex {
namespace {

std::mutex g_mutex;
std::vector<EngCall> g_calls;
BOOL g_answer = TRUE;

}  // namespace

std::vector<EngCall> TakeEngCalls() {
    std::lock_guard lock(g_mutex);
    std::vector<EngCall> calls;
    calls.swap(g_calls);
    return calls;
}

void SetEngCallAnswer(BOOL answer) {
    std::lock_guard lock(g_mutex);
    g_answer = answer;
}

namespace eng {

BOOL Record(EngCall call) {
    const bool hasTarget = call.target != nullptr;
    std::lock_guard lock(g_mutex);
    g_calls.push_back(std::move(call));
    return hasTarget ? g_answer : FALSE;
}

}  // namespace eng
}  // namespace palvex
