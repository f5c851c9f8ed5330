// Heaps, last error, debug output and the lstr* helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include <palvex/debugout.h>
#include <win/windows.h>

namespace {

TEST(Heap, BlocksAreZeroedAlsoWhenTheyGrow) {
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(heap, GetProcessHeap());
    // Reuse memory that was dirty, with and without HEAP_ZERO_MEMORY.
    for (DWORD flags : {DWORD{0}, static_cast<DWORD>(HEAP_ZERO_MEMORY)}) {
        auto* dirty = static_cast<BYTE*>(HeapAlloc(heap, 0, 256));
        ASSERT_NE(dirty, nullptr);
        std::memset(dirty, 0xAB, 256);
        ASSERT_TRUE(HeapFree(heap, 0, dirty));
        auto* block = static_cast<BYTE*>(HeapAlloc(heap, flags, 256));
        ASSERT_NE(block, nullptr);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(block[i], 0) << i;
        EXPECT_EQ(HeapSize(heap, 0, block), 256u);
        std::memset(block, 0xCD, 256);
        block = static_cast<BYTE*>(HeapReAlloc(heap, 0, block, 100));  // shrink, then grow again
        ASSERT_NE(block, nullptr);
        block = static_cast<BYTE*>(HeapReAlloc(heap, 0, block, 4096));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block[99], 0xCD);
        for (int i = 100; i < 4096; ++i) ASSERT_EQ(block[i], 0) << i;
        EXPECT_EQ(HeapSize(heap, 0, block), 4096u);
        EXPECT_TRUE(HeapFree(heap, 0, block));
    }
}

TEST(Heap, RefusesForeignPointersAndHandles) {
    HANDLE heap = HeapCreate(0, 0, 0);
    ASSERT_NE(heap, nullptr);
    void* block = HeapAlloc(heap, 0, 16);
    ASSERT_NE(block, nullptr);
    int local = 0;
    SetLastError(0);
    EXPECT_FALSE(HeapFree(GetProcessHeap(), 0, block));  // not the process heap's
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(HeapFree(heap, 0, &local));
    EXPECT_EQ(HeapSize(heap, 0, &local), static_cast<SIZE_T>(-1));
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
    EXPECT_EQ(HeapAlloc(reinterpret_cast<HANDLE>(0x1234), 0, 16), nullptr);
    EXPECT_FALSE(HeapDestroy(GetProcessHeap()));
    EXPECT_TRUE(HeapDestroy(heap));  // frees the block still in it
    EXPECT_FALSE(HeapDestroy(heap));
    EXPECT_EQ(HeapAlloc(heap, 0, 16), nullptr);
}

TEST(Heap, ASummaryShowsWhatIsStillAllocated) {
    HANDLE heap = HeapCreate(0, 0, 5000);
    HEAP_SUMMARY summary{};
    summary.cb = sizeof summary;
    ASSERT_TRUE(HeapSummary(heap, 0, &summary));
    EXPECT_EQ(summary.cbAllocated, 0u);
    EXPECT_EQ(summary.cbMaxReserve, 5000u);
    void* a = HeapAlloc(heap, 0, 600);
    void* b = HeapAlloc(heap, 0, 40);
    b = HeapReAlloc(heap, 0, b, 100);
    ASSERT_TRUE(HeapSummary(heap, 0, &summary));
    EXPECT_EQ(summary.cbAllocated, 700u);
    HeapFree(heap, 0, a);
    ASSERT_TRUE(HeapSummary(heap, 0, &summary));
    EXPECT_EQ(summary.cbAllocated, 100u);  // b is left: a leak shows
    summary.cb = 0;
    EXPECT_FALSE(HeapSummary(heap, 0, &summary));
    HeapDestroy(heap);
    summary.cb = sizeof summary;
    EXPECT_FALSE(HeapSummary(heap, 0, &summary));
}

TEST(Heap, AHeapWithAMaximumStaysWithinIt) {
    HANDLE heap = HeapCreate(0, 0, 1000);
    void* a = HeapAlloc(heap, 0, 600);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(HeapAlloc(heap, 0, 500), nullptr);
    EXPECT_EQ(HeapReAlloc(heap, 0, a, 1001), nullptr);
    EXPECT_TRUE(HeapFree(heap, 0, a));
    EXPECT_NE(HeapAlloc(heap, 0, 1000), nullptr);
    EXPECT_TRUE(HeapDestroy(heap));
}

TEST(LastError, IsKeptPerThread) {
    SetLastError(5);
    DWORD seenByOther = 1;
    std::thread other([&] {
        seenByOther = GetLastError();
        SetLastError(77);
    });
    other.join();
    EXPECT_EQ(seenByOther, 0u);
    EXPECT_EQ(GetLastError(), 5u);
}

TEST(DebugOutput, CapturesNestAndRestoreThePreviousHook) {
    palvex::DebugOutputCapture outer;
    OutputDebugStringW(u"one\n");
    {
        palvex::DebugOutputCapture inner;
        OutputDebugStringW(u"two\n");
        std::thread other([] { OutputDebugStringW(u"three\n"); });
        other.join();
        EXPECT_EQ(inner.lines(), (std::vector<std::u16string>{u"two\n", u"three\n"}));
    }
    OutputDebugStringW(u"four\n");
    OutputDebugStringW(nullptr);
    EXPECT_EQ(outer.lines(), (std::vector<std::u16string>{u"one\n", u"four\n"}));
}

TEST(DebugOutput, HookReceivesItsOwnContext) {
    struct Sink {
        std::u16string last;
        static void Hook(const WCHAR* line, void* context) { static_cast<Sink*>(context)->last = line; }
    } sink;
    void* previousContext = reinterpret_cast<void*>(1);
    const palvex::DebugOutputHook previous = palvex::SetDebugOutputHook(&Sink::Hook, &sink, &previousContext);
    OutputDebugStringW(u"to the sink");
    palvex::SetDebugOutputHook(previous, previousContext);
    EXPECT_EQ(sink.last, u"to the sink");
}

TEST(WideStrings, LengthCopyAndConcatenate) {
    EXPECT_EQ(lstrlenW(u"abc"), 3);
    EXPECT_EQ(lstrlenW(nullptr), 0);
    WCHAR buffer[8] = {};
    EXPECT_EQ(lstrcpyW(buffer, u"ab"), buffer);
    EXPECT_EQ(lstrcatW(buffer, u"cd"), buffer);
    EXPECT_EQ(std::u16string(buffer), u"abcd");
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(lstrcpynW(buffer, u"abcdef", 4), buffer);  // at most 3 characters and the NUL
    EXPECT_EQ(std::u16string(buffer), u"abc");
    EXPECT_EQ(lstrcpyW(nullptr, u"x"), nullptr);
}

TEST(WideStrings, Comparisons) {
    struct Case {
        const WCHAR* a;
        const WCHAR* b;
        int ordinary;  // lstrcmpW
        int ignoreCase;  // lstrcmpiW
    };
    const Case cases[] = {
        {u"abc", u"abc", 0, 0},
        {u"OEMDEVMODE", u"oemDevMode", 1, 0},
        {u"a", u"A", -1, 0},  // of two names that differ in case only, lower case first
        {u"a", u"B", -1, -1},  // letters compare without regard to case first
        {u"B", u"a", 1, 1},
        {u"ab", u"abc", -1, -1},
        {u"\u00e9t\u00e9", u"\u00c9T\u00c9", -1, 0},  // beyond ASCII
        {u"\u0436", u"\u0416", -1, 0},                // Cyrillic
        {u"\u0131", u"I", 1, 1},  // dotless i is not I
        {nullptr, u"", -1, -1},
        {nullptr, nullptr, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(lstrcmpW(c.a, c.b), c.ordinary);
        EXPECT_EQ(lstrcmpiW(c.a, c.b), c.ignoreCase);
        EXPECT_EQ(lstrcmpiW(c.b, c.a), -c.ignoreCase);
    }
}

}  // namespace
