// Unnamed events, waits and interlocked counts.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <palvex/machine.h>
#include <win/windows.h>

namespace {

class EventTest : public ::testing::Test {
protected:
    palvex::TestMachine m_machine;
};

TEST_F(EventTest, AManualResetEventStaysSignalledUntilReset) {
    HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(event, 1), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(SetEvent(event));
    ASSERT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(event));
}

TEST_F(EventTest, AnAutomaticEventIsTakenByOneWait) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, u"");
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    ASSERT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
}

TEST_F(EventTest, SetEventReleasesWaitersOnOtherThreads) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    std::atomic<bool> set{false};
    std::atomic<int> sawSet{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (WaitForSingleObject(event, INFINITE) == WAIT_OBJECT_0 && set.load()) ++sawSet;
        });
    set = true;
    ASSERT_TRUE(SetEvent(event));
    for (auto& waiter : waiters) waiter.join();
    EXPECT_EQ(sawSet.load(), 3);
    CloseHandle(event);
}

TEST_F(EventTest, RefusesWhatIsNotAnEvent) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    HANDLE closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(closed);
    for (HANDLE handle : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, mutex, closed}) {
        SetLastError(0);
        EXPECT_FALSE(SetEvent(handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(ResetEvent(handle));
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    CloseHandle(mutex);
    EXPECT_FALSE(CloseHandle(closed));
    SetLastError(0);
    EXPECT_EQ(CreateEventW(nullptr, TRUE, TRUE, u"Global\\Named"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST(Interlocked, CountsFromManyThreads) {
    LONG volatile count = 0;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([&] {
            for (int n = 0; n < 10000; ++n) {
                InterlockedIncrement(&count);
                InterlockedIncrement(&count);
                InterlockedDecrement(&count);
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(count, 40000);
    EXPECT_EQ(InterlockedIncrement(&count), 40001);
    EXPECT_EQ(InterlockedDecrement(&count), 40000);
    EXPECT_EQ(InterlockedExchange(&count, 5), 40000);
    EXPECT_EQ(count, 5);
}

}  // namespace
