// The library's entry: the driver-use mutex while loaded, and the exports by ordinal.
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "driver_use_probe.h"
#include "library_fixture.h"

namespace {

using tovqebco_test::LibraryTest;
using palvex::testing::DriverInUse;
using palvex::testing::kDriverUseMutex;

bool DriverInUseSeenFromAnotherProcess() {
    pid_t child = fork();
    if (child == 0) _exit(DriverInUse() ? 1 : 0);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST_F(LibraryTest, HoldsTheDriverUseMutexWhileLoaded) {
    EXPECT_TRUE(DriverInUse());
    EXPECT_TRUE(DriverInUseSeenFromAnotherProcess());
    m_library.Unload();
    EXPECT_FALSE(DriverInUse());
    EXPECT_FALSE(DriverInUseSeenFromAnotherProcess());
}

TEST_F(LibraryTest, HoldsTheMutexAlsoWhenTheNameExistedBefore) {
    m_library.Unload();
    HANDLE earlier = CreateMutexW(nullptr, FALSE, kDriverUseMutex);  // another driver library's, say
    ASSERT_NE(earlier, nullptr);
    tovqebco_test::LoadedLibrary library;
    ASSERT_TRUE(library.loaded());
    CloseHandle(earlier);
    EXPECT_TRUE(DriverInUse());
    library.Unload();
    EXPECT_FALSE(DriverInUse());
}

TEST_F(LibraryTest, ASecondLoadKeepsTheMutexUntilTheLastUnload) {
    tovqebco_test::LoadedLibrary second;
    ASSERT_TRUE(second.loaded());
    m_library.Unload();
    EXPECT_TRUE(DriverInUse());
    second.Unload();
    EXPECT_FALSE(DriverInUse());
}

TEST_F(LibraryTest, ExportsByOrdinal) {
    ASSERT_NE(m_library.ordinals, nullptr);
    const PalvexOrdinalEntry* entry = m_library.ordinals;
    ASSERT_EQ(entry[0].ordinal, 1);
    EXPECT_STREQ(entry[0].name, "QvCom_AssignJobID");
    EXPECT_EQ(entry[0].function, reinterpret_cast<const void*>(m_library.assignJobId));
    ASSERT_EQ(entry[1].ordinal, 2);
    EXPECT_STREQ(entry[1].name, "QvCom_GetTraysInfo");
    EXPECT_EQ(entry[1].function, reinterpret_cast<const void*>(m_library.getTraysInfo));
    EXPECT_EQ(entry[2].ordinal, 0);
}

}  // namespace
