// The machine database keeps its prepared statements: a query asked again on a thread, or on a
// thread that follows one that has ended, is not prepared again, and a connection let go of and
// opened again still reads and writes the machine. Each test starts on a fresh machine that no
// connection has been opened to.
#include <gtest/gtest.h>

#include <palvex/machine.h>
#include <palvex/prepared_statements.h>
#include <win/windows.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Counts = std::map<std::string, size_t>;

Counts PreparedTwice() {
    Counts counts;
    for (const auto& prepared : palvex::db::PreparedTwice()) counts[prepared.sql] = prepared.count;
    return counts;
}

class PreparedStatementsTest : public ::testing::Test {
protected:
    static constexpr int kAskings = 50;

    void SetUp() override { ASSERT_EQ(Write(7), ERROR_SUCCESS); }

    // The value written through the registry (the key made or opened, the value set, the key closed).
    static LSTATUS Write(DWORD value, const char16_t* name = u"Count") {
        HKEY key = nullptr;
        LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Palvex", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                         &key, nullptr);
        if (status != ERROR_SUCCESS) return status;
        status = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        return status;
    }

    // The value as read through the registry; 0 when there is none.
    static DWORD Read(const char16_t* name = u"Count") {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Palvex", 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        DWORD value = 0, size = sizeof value, type = 0;
        const LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS && type == REG_DWORD ? value : 0;
    }

    // Reads and writes the value kAskings times; false when a read gives a wrong value.
    static bool AskOften(const char16_t* name = u"Count") {
        bool right = true;
        for (int i = 0; i < kAskings; ++i) {
            right = right && Write(100 + i, name) == ERROR_SUCCESS && Read(name) == static_cast<DWORD>(100 + i);
        }
        return right;
    }

    static bool AskOftenOnAnotherThread() {
        bool right = false;
        std::thread([&right] { right = AskOften(); }).join();
        return right;
    }
};

TEST_F(PreparedStatementsTest, AQueryAskedAgainOnOneThreadIsNotPreparedAgain) {
    ASSERT_TRUE(AskOften());  // every statement of the loop prepared once
    const Counts before = PreparedTwice();
    ASSERT_TRUE(AskOften());
    EXPECT_EQ(PreparedTwice(), before);
}

TEST_F(PreparedStatementsTest, ThreadsOneAfterAnotherUseTheStatementsPreparedOnce) {
    ASSERT_TRUE(AskOften());
    const Counts once = PreparedTwice();
    // A thread that asks while this one does not takes over the connection with its statements,
    // and so do the threads after it; this thread again after them.
    for (int thread = 0; thread < 3; ++thread) ASSERT_TRUE(AskOftenOnAnotherThread());
    EXPECT_EQ(PreparedTwice(), once);
    ASSERT_TRUE(AskOften());
    EXPECT_EQ(PreparedTwice(), once);
}

TEST_F(PreparedStatementsTest, ThreadsAskingAtOnceEachGetTheirOwnAnswers) {
    const char16_t* const names[] = {u"First", u"Second", u"Third", u"Fourth"};
    bool right[4] = {};
    // Earlier tests of this process may have prepared a text once already (not listed as twice).
    const Counts before = PreparedTwice();
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back([&, i] { right[i] = AskOften(names[i]); });
    for (auto& thread : threads) thread.join();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(right[i]) << i;
    // At most one connection per thread asking at once, each preparing a text once.
    for (const auto& [sql, count] : PreparedTwice()) {
        const auto earlier = before.find(sql);
        EXPECT_LE(count, (earlier == before.end() ? 1u : earlier->second) + 4u) << sql;
    }
}

TEST_F(PreparedStatementsTest, AConnectionOpenedAgainReadsAndWritesTheMachine) {
    ASSERT_TRUE(AskOften());
    // Switching to the same root lets go of this thread's connection; the next use opens one.
    palvex::SetMachineRoot(palvex::MachineRoot());
    EXPECT_EQ(Read(), static_cast<DWORD>(100 + kAskings - 1));
    ASSERT_EQ(Write(3), ERROR_SUCCESS);
    EXPECT_EQ(Read(), 3u);
    // What another thread writes on its connection is read on this one, and the other way round.
    std::thread([] { EXPECT_EQ(Write(4), ERROR_SUCCESS); }).join();
    EXPECT_EQ(Read(), 4u);
    ASSERT_EQ(Write(5), ERROR_SUCCESS);
    DWORD seen = 0;
    std::thread([&seen] { seen = Read(); }).join();
    EXPECT_EQ(seen, 5u);
}

TEST_F(PreparedStatementsTest, AnotherMachineAndBackKeepsEachMachinesOwnState) {
    ASSERT_EQ(Write(11), ERROR_SUCCESS);
    {
        palvex::TestMachine other;  // the process's connections go to the other machine
        EXPECT_EQ(Read(), 0u);
        ASSERT_TRUE(AskOftenOnAnotherThread());
        EXPECT_EQ(Read(), static_cast<DWORD>(100 + kAskings - 1));
    }
    EXPECT_EQ(Read(), 11u);
    DWORD seen = 0;
    std::thread([&seen] { seen = Read(); }).join();  // a connection parked on the other machine is not taken
    EXPECT_EQ(seen, 11u);
}

}  // namespace
