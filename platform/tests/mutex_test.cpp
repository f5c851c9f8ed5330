// Named mutexes: a name exists while any handle in any process of the machine holds it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <palvex/machine.h>
#include <win/windows.h>

namespace {

// Opens a handle to the name and answers the last error CreateMutexW left (the handle closes).
DWORD ProbeName(const std::u16string& name) {
    HANDLE handle = CreateMutexW(nullptr, FALSE, name.c_str());
    DWORD error = GetLastError();
    if (handle) CloseHandle(handle);
    return handle ? error : 0xFFFFFFFF;
}

// The same probe run in a child process.
DWORD ProbeNameInChild(const std::u16string& name) {
    pid_t child = fork();
    if (child == 0) _exit(ProbeName(name) == ERROR_ALREADY_EXISTS ? 1 : 0);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1 ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

class MutexTest : public ::testing::Test {
protected:
    palvex::TestMachine m_machine;
};

TEST_F(MutexTest, ANameExistsWhileAnyHandleHoldsIt) {
    const std::u16string name = u"VORTAN_OLJA_DRIVERUSE_MUTEX";
    HANDLE first = CreateMutexW(nullptr, FALSE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(first, second);

    EXPECT_TRUE(CloseHandle(first));
    EXPECT_EQ(ProbeName(name), static_cast<DWORD>(ERROR_ALREADY_EXISTS));  // second still holds it
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_EQ(ProbeName(name), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(MutexTest, OtherProcessesSeeTheName) {
    const std::u16string name = u"Palvex Pardex Mutex";
    EXPECT_EQ(ProbeNameInChild(name), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE held = CreateMutexW(nullptr, FALSE, name.c_str());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(ProbeNameInChild(name), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(held);
    EXPECT_EQ(ProbeNameInChild(name), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(MutexTest, TheNameGoesWithTheProcessThatHeldIt) {
    const std::u16string name = u"held by a child";
    int ready[2], finish[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(finish), 0);
    pid_t child = fork();
    if (child == 0) {
        CreateMutexW(nullptr, FALSE, name.c_str());  // never closed: the process's end lets go
        char c = 1;
        (void)!write(ready[1], &c, 1);
        (void)!read(finish[0], &c, 1);
        _exit(0);
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_EQ(ProbeName(name), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    (void)!write(finish[1], &c, 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(ProbeName(name), static_cast<DWORD>(ERROR_SUCCESS));
    for (int fd : {ready[0], ready[1], finish[0], finish[1]}) close(fd);
}

TEST_F(MutexTest, NamesAreComparedWithCaseAndMayHoldAnyCharacter) {
    const std::u16string names[] = {u"Palvex", u"PALVEX", u"Global\\Palvex", u"a/b:c*?<>|\"%", u"日本語の名前",
                                    std::u16string(200, u'\u3042')};
    std::vector<HANDLE> held;
    for (const std::u16string& name : names) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        held.push_back(CreateMutexW(nullptr, FALSE, name.c_str()));
        ASSERT_NE(held.back(), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));  // none is another's alias
    }
    for (const std::u16string& name : names) EXPECT_EQ(ProbeName(name), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    for (HANDLE handle : held) CloseHandle(handle);
}

TEST_F(MutexTest, NameLengthIsBoundedByMaxPath) {
    std::u16string longest(MAX_PATH, u'x');
    EXPECT_EQ(ProbeName(longest), static_cast<DWORD>(ERROR_SUCCESS));
    std::u16string tooLong(MAX_PATH + 1, u'x');
    SetLastError(0);
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, tooLong.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(MutexTest, UnnamedMutexesShareNothing) {
    HANDLE a = CreateMutexW(nullptr, FALSE, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE b = CreateMutexW(nullptr, FALSE, u"");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(CloseHandle(a));
    EXPECT_TRUE(CloseHandle(b));
}

TEST_F(MutexTest, CloseHandleRefusesWhatIsNotAnOpenHandle) {
    HANDLE handle = CreateMutexW(nullptr, FALSE, u"closed twice");
    ASSERT_TRUE(CloseHandle(handle));
    for (HANDLE bad : {handle, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x1234567)}) {
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
}

TEST_F(MutexTest, EachMachineHasItsOwnNames) {
    HANDLE held = CreateMutexW(nullptr, FALSE, u"one machine only");
    ASSERT_NE(held, nullptr);
    {
        palvex::TestMachine other;
        EXPECT_EQ(ProbeName(u"one machine only"), static_cast<DWORD>(ERROR_SUCCESS));
    }
    EXPECT_EQ(ProbeName(u"one machine only"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(held);
}

}  // namespace
