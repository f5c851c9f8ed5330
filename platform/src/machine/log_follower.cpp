#include "machine/log_follower.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <thread>
#include <utility>
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
    Thread* ending = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread || m_wanted()) return;
        m_thread->stop = true;
        ending = std::exchange(m_thread, nullptr);
    }
    // Joined without the lock, which the thread takes to decide whether to go on.
    ending->thread.join();
    delete ending;
}

void LogFollower::Run(Thread* thread) {
    for (;;) {
        {
            // Decided under the lock that Start holds, so that a Start that finds this thread
            // still running knows it will go on while it is wanted.
            std::lock_guard lock(m_mutex);
            if (thread->stop || !m_wanted()) {
                thread->finished = true;
                break;
            }
        }
        try {
            thread->lastSeen = m_read(thread->lastSeen);
        } catch (const std::exception&) {
            // the machine is being switched or removed: look again later
        }
        std::this_thread::sleep_for(kFollowInterval);
    }
    CloseThreadConnection();
}

void LogFollower::Stop() {
    Thread* ending = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread) return;
        m_thread->stop = true;
        ending = std::exchange(m_thread, nullptr);
    }
    ending->thread.join();
    delete ending;
}

void LogFollower::StopAllAtExit() {
    std::lock_guard lock(g_followersMutex);
    for (LogFollower* follower : Followers()) follower->Stop();
}

}  // namespace palvex::db
