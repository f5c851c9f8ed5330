// A thread that follows the rows other processes of the machine append to one of its logs (the
// registry changes, the device events): every 20 ms it hands the rows after the last one it saw
// to its reader, for as long as this process wants them. Each log has one follower per process,
// started on demand and ended before the process's statics go.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

namespace palvex::db {

class LogFollower {
public:
    // latestSql answers the newest row's id, where a new thread starts; read(lastSeen) takes the
    // rows after lastSeen and answers the id of the last one it took; wanted() is asked before
    // each round and before a stop.
    LogFollower(const char* latestSql, std::function<int64_t(int64_t)> read, std::function<bool()> wanted);
    LogFollower(const LogFollower&) = delete;
    LogFollower& operator=(const LogFollower&) = delete;

    // Starts the thread unless one runs (one that ended because it was no longer wanted is
    // replaced).
    void Start();
    // Ends the thread once it is no longer wanted; not from the thread itself.
    void StopUnlessWanted();

private:
    struct Thread;
    void Run(Thread* thread);
    void Stop();
    static void StopAllAtExit();

    const char* m_latestSql;
    std::function<int64_t(int64_t)> m_read;
    std::function<bool()> m_wanted;
    std::mutex m_mutex;  // starting and stopping the thread
    Thread* m_thread = nullptr;
};

}  // namespace palvex::db
