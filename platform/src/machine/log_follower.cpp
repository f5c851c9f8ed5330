#include "machine/log_follower.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <thread>
#include <vector>

#include "machine/machine_db.h"

namespace palvex::db {
namespace {

// How often a follower looks for other processes' rows.
constexpr auto kFollowInterval = std::chrono::milliseconds(20);

std::mutex g_followersMutex;
std::vector<LogFollower*>& Followers() {
    static auto* followers = new std::vector<LogFollower*>;  // outlives every static destructor
    return *followers;
}

}  // namespace

struct LogFollower::Thread {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    int64_t lastSeen = 0;
};

LogFollower::LogFollower(const char* latestSql, std::function<int64_t(int64_t)> read, std::function<bool()> wanted)
    : m_latestSql(latestSql), m_read(std::move(read)), m_wanted(std::move(wanted)) {
    std::lock_guard lock(g_followersMutex);
    static const bool endsAtExit = std::atexit(StopAllAtExit) == 0;
    (void)endsAtExit;
    Followers().push_back(this);
}

void LogFollower::Start() {
    std::lock_guard lock(m_mutex);
    if (m_thread && !m_thread->finished) return;
    if (m_thread) {
        m_thread->thread.join();
        delete m_thread;
    }
    m_thread = new Thread;
    try {
        Statement latest(m_latestSql);
        m_thread->lastSeen = latest.Step() ? latest.Int(0) : 0;
    } catch (const std::exception&) {
        // without a machine database only this process's own rows are heard
    }
    m_thread->thread = std::thread(&LogFollower::Run, this, m_thread);
}

void LogFollower::StopUnlessWanted() {
    std::lock_guard lock(m_mutex);
    if (!m_thread || m_wanted()) return;
    m_thread->stop = true;
    m_thread->thread.join();
    delete m_thread;
    m_thread = nullptr;
}

void LogFollower::Run(Thread* thread) {
    while (!thread->stop && m_wanted()) {
        try {
            thread->lastSeen = m_read(thread->lastSeen);
        } catch (const std::exception&) {
            // the machine is being switched or removed: look again later
        }
        std::this_thread::sleep_for(kFollowInterval);
    }
    CloseThreadConnection();
    thread->finished = true;
}

void LogFollower::Stop() {
    std::lock_guard lock(m_mutex);
    if (!m_thread) return;
    m_thread->stop = true;
    m_thread->thread.join();
    delete m_thread;
    m_thread = nullptr;
}

void LogFollower::StopAllAtExit() {
    std::lock_guard lock(g_followersMutex);
    for (LogFollower* follower : Followers()) follower->Stop();
}

}  // namespace palvex::db
