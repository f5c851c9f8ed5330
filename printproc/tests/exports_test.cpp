// The spooler's view of the library: exports by name and ordinal, the driver-use mutex, the
// datatype enumeration, capabilities, and the handle rules of the exports.
#include <dlfcn.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include <palvex/ordinals.h>

#include "driver_use_probe.h"
#include "kitmessages.h"
#include "library_fixture.h"
#include "settings_fixture.h"

namespace pptest {
namespace {

using palvex::testing::DriverInUse;

TEST_F(LibraryTest, HoldsTheDriverUseMutexWhileLoaded) {
    EXPECT_TRUE(DriverInUse());
    {
        palvex::hosts::PrintProcessorLibrary second(TOVQEBPP_LIBRARY);  // the same library again
        ASSERT_TRUE(second.loaded());
    }
    EXPECT_TRUE(DriverInUse());
}

TEST(LibraryUnload, LetsGoOfTheDriverUseMutex) {
    palvex::TestMachine machine;
    {
        palvex::hosts::PrintProcessorLibrary library(TOVQEBPP_LIBRARY);
        ASSERT_TRUE(library.loaded()) << library.error();
        EXPECT_TRUE(DriverInUse());
    }
    EXPECT_FALSE(DriverInUse());
}

// The settings runtime's messages are the library's own string resources, read through the
// module handle its entry was given.
TEST_F(LibraryTest, CarriesTheRuntimeMessages) {
    Dl_info info{};
    ASSERT_NE(dladdr(m_library.Symbol("OpenPrintProcessor"), &info), 0);
    const HMODULE module = static_cast<HMODULE>(info.dli_fbase);
    const std::pair<UINT, std::u16string> cases[] = {
        {62601, u"warning XPR1001 : structure size for structure '%s', exceeds 64768 bytes.\n"},
        {63001, u"error XPR2001 : unable to open printer '%s'.\n"},
        {63403, u"%s(%d) : internal error XPR3003 : out of memory, no structure slots available.\n"},
    };
    auto resourceText = [module](UINT id) {
        WCHAR buffer[256] = {};
        const int length = LoadStringW(module, id, buffer, 256);
        return std::u16string(buffer, length > 0 ? length : 0);
    };
    for (const auto& [id, text] : cases) EXPECT_EQ(resourceText(id), text) << id;
    // The resources and the runtime's own message table hold the same texts.
    for (const KitMessage& message : KitMessages())
        EXPECT_EQ(resourceText(message.m_code), message.m_text) << message.m_code;
    WCHAR buffer[256] = {};
    EXPECT_EQ(LoadStringW(module, 61301, buffer, 256), 0);  // the compiler's messages stay with the UI
}

TEST_F(LibraryTest, ExportsByOrdinal) {
    const auto* table = static_cast<const PalvexOrdinalEntry*>(m_library.Symbol(PALVEX_ORDINAL_TABLE_SYMBOL));
    ASSERT_NE(table, nullptr);
    const struct {
        WORD ordinal;
        const char* name;
        const void* function;
    } expected[] = {
        {1, "ClosePrintProcessor", reinterpret_cast<const void*>(m_library.ClosePrintProcessor)},
        {2, "ControlPrintProcessor", reinterpret_cast<const void*>(m_library.ControlPrintProcessor)},
        {3, "EnumPrintProcessorDatatypesW", reinterpret_cast<const void*>(m_library.EnumPrintProcessorDatatypesW)},
        {4, "GetPrintProcessorCapabilities", reinterpret_cast<const void*>(m_library.GetPrintProcessorCapabilities)},
        {5, "OpenPrintProcessor", reinterpret_cast<const void*>(m_library.OpenPrintProcessor)},
        {6, "PrintDocumentOnPrintProcessor", reinterpret_cast<const void*>(m_library.PrintDocumentOnPrintProcessor)},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(table[i].ordinal, expected[i].ordinal);
        EXPECT_STREQ(table[i].name, expected[i].name);
        EXPECT_EQ(table[i].function, expected[i].function);
    }
    EXPECT_EQ(table[std::size(expected)].ordinal, 0);
}

// --- Datatypes ----------------------------------------------------------------------------------

// The answer for a buffer at base: five links, then the names packed in table order.
std::vector<BYTE> ExpectedDatatypes(const BYTE* base) {
    std::vector<BYTE> bytes(136, 0);
    const size_t names[] = {40, 66, 92, 118, 126};
    for (size_t i = 0; i < 5; ++i) {
        const uint64_t link = reinterpret_cast<uintptr_t>(base) + names[i];
        std::memcpy(bytes.data() + 8 * i, &link, 8);
    }
    const char* texts[] = {"NT EMF 1.008", "NT EMF 1.007", "NT EMF 1.006", "RAW", "TEXT"};
    for (size_t i = 0; i < 5; ++i)
        for (size_t c = 0; texts[i][c]; ++c) bytes[names[i] + 2 * c] = static_cast<BYTE>(texts[i][c]);
    return bytes;
}

TEST_F(LibraryTest, EnumeratesTheFiveDatatypesByteForByte) {
    std::vector<BYTE> buffer(200, 0xCC);
    DWORD needed = 0, returned = 99;
    ASSERT_TRUE(m_library.EnumPrintProcessorDatatypesW(nullptr, nullptr, 1, buffer.data(), 200, &needed, &returned));
    EXPECT_EQ(needed, 136u);
    EXPECT_EQ(returned, 5u);
    std::vector<BYTE> expected = ExpectedDatatypes(buffer.data());
    expected.resize(200, 0);  // the rest of the buffer is zeroed
    EXPECT_EQ(buffer, expected);
    const auto* infos = reinterpret_cast<const DATATYPES_INFO_1W*>(buffer.data());
    EXPECT_EQ(std::u16string(infos[4].pName), u"TEXT");

    // Server, processor name and level do not change the answer.
    std::vector<BYTE> exact(136, 0xCC);
    ASSERT_TRUE(m_library.EnumPrintProcessorDatatypesW(const_cast<LPWSTR>(u"\\\\server"), const_cast<LPWSTR>(u"x"), 7,
                                                       exact.data(), 136, &needed, &returned));
    EXPECT_EQ(exact, ExpectedDatatypes(exact.data()));
}

TEST_F(LibraryTest, ADatatypeBufferTooSmallIsLeftAlone) {
    std::vector<BYTE> buffer(135, 0xCC);
    DWORD needed = 0, returned = 99;
    SetLastError(0);
    EXPECT_FALSE(m_library.EnumPrintProcessorDatatypesW(nullptr, nullptr, 1, buffer.data(), 135, &needed, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(needed, 136u);
    EXPECT_EQ(returned, 0u);
    EXPECT_EQ(buffer, std::vector<BYTE>(135, 0xCC));
    // A null buffer only asks for the size, whatever size comes with it.
    for (DWORD size : {0u, 136u, 4096u}) {
        needed = 0;
        SetLastError(0);
        EXPECT_FALSE(m_library.EnumPrintProcessorDatatypesW(nullptr, nullptr, 1, nullptr, size, &needed, &returned));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(needed, 136u);
    }
    SetLastError(0);
    EXPECT_FALSE(m_library.EnumPrintProcessorDatatypesW(nullptr, nullptr, 1, buffer.data(), 135, nullptr, &returned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_FALSE(m_library.EnumPrintProcessorDatatypesW(nullptr, nullptr, 1, buffer.data(), 135, &needed, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// --- Capabilities -------------------------------------------------------------------------------

struct CapsCase {
    const char16_t* datatype;
    DWORD attributes;
    DWORD nup, pageOrder, copies;
};

TEST_F(LibraryTest, CapabilitiesByDatatypeAndPrinter) {
    constexpr DWORD kLocal = 0x40, kNetwork = 0x10, kDirect = 0x2, kRawOnly = 0x1000, kShared = 0x8;
    const CapsCase cases[] = {
        {u"NT EMF 1.008", kLocal, 0x812B, 3, 0xFFFFFFFF},
        {u"NT EMF 1.007", kLocal, 0x812B, 3, 0xFFFFFFFF},
        {u"NT EMF 1.006", kShared | kLocal, 0x812B, 3, 0xFFFFFFFF},
        {u"NT EMF 1.008", kNetwork, 0x812B, 3, 0xFFFFFFFF},
        {u"NT EMF 1.007", kLocal | kNetwork, 1, 0, 1},
        {u"NT EMF 1.008", kDirect, 1, 0, 1},
        {u"NT EMF 1.006", kRawOnly | kLocal, 1, 0, 1},
        {u"NT EMF 1.008", 0, 0x812B, 3, 0xFFFFFFFF},
        {u"RAW", kLocal, 1, 0, 0xFFFFFFFF},
        {u"RAW", kDirect, 1, 0, 0xFFFFFFFF},
        {u"TEXT", kLocal | kNetwork, 1, 0, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        BYTE buffer[20];
        std::memset(buffer, 0xCC, sizeof buffer);
        DWORD needed = 0;
        ASSERT_EQ(m_library.GetPrintProcessorCapabilities(const_cast<LPWSTR>(c.datatype), c.attributes, buffer,
                                                          sizeof buffer, &needed),
                  0u);
        EXPECT_EQ(needed, 16u);
        PRINTPROCESSOR_CAPS_1 caps;
        std::memcpy(&caps, buffer, sizeof caps);
        const std::string what = Narrow(c.datatype) + " attributes " + std::to_string(c.attributes);
        EXPECT_EQ(caps.dwLevel, 1u) << what;
        EXPECT_EQ(caps.dwNupOptions, c.nup) << what;
        EXPECT_EQ(caps.dwPageOrderFlags, c.pageOrder) << what;
        EXPECT_EQ(caps.dwNumberOfCopies, c.copies) << what;
        EXPECT_EQ(buffer[16], 0xCC) << what;
    }
}

TEST_F(LibraryTest, RefusedCapabilitiesReturnTheirError) {
    const auto caps = [&](LPCWSTR datatype, BYTE* buffer, DWORD size, DWORD* needed) {
        SetLastError(0);
        const DWORD result = m_library.GetPrintProcessorCapabilities(const_cast<LPWSTR>(datatype), 0x40, buffer, size,
                                                                     needed);
        EXPECT_EQ(GetLastError(), result);
        return result;
    };
    BYTE buffer[16];
    std::memset(buffer, 0xCC, sizeof buffer);
    DWORD needed = 0;
    for (LPCWSTR datatype : {u"EMF", u"raw", u"", u"NT EMF 1.008 ", u"Text"})
        EXPECT_EQ(caps(datatype, buffer, 16, &needed), static_cast<DWORD>(ERROR_INVALID_DATATYPE));
    EXPECT_EQ(caps(u"RAW", buffer, 15, &needed), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(needed, 16u);
    EXPECT_EQ(caps(u"RAW", nullptr, 16, &needed), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(caps(u"EMF", buffer, 8, &needed), static_cast<DWORD>(ERROR_MORE_DATA));  // size comes first
    EXPECT_EQ(caps(nullptr, buffer, 16, &needed), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(caps(u"RAW", buffer, 16, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 16), std::vector<BYTE>(16, 0xCC));
}

// --- Handles and opening ------------------------------------------------------------------------

TEST_F(LibraryTest, ExportsRefuseNullAndInvalidHandles) {
    for (HANDLE handle : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
        SetLastError(0);
        EXPECT_FALSE(m_library.ControlPrintProcessor(handle, JOB_CONTROL_PAUSE));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(0);
        EXPECT_FALSE(m_library.PrintDocumentOnPrintProcessor(handle, const_cast<LPWSTR>(u"doc")));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(0);
        EXPECT_FALSE(m_library.ClosePrintProcessor(handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
}

class OpenedProcessor : public LibraryTest {
protected:
    HANDLE Open(LPCWSTR datatype, LPCWSTR printer = u"Palvex Open Test") {
        m_name = printer ? printer : u"";
        m_datatype = datatype ? datatype : u"";
        m_data = PRINTPROCESSOROPENDATA{};
        m_data.pDatatype = datatype ? m_datatype.data() : nullptr;
        m_data.pDocumentName = const_cast<LPWSTR>(u"Document");
        m_data.JobId = 4;
        m_data.pPrinterName = m_name.data();
        m_data.pDevMode = m_devmode.get();
        SetLastError(0);
        return m_library.OpenPrintProcessor(printer ? m_name.data() : nullptr, &m_data);
    }
    std::u16string m_name, m_datatype;
    PRINTPROCESSOROPENDATA m_data{};
    Devmode m_devmode;
};

TEST_F(OpenedProcessor, RefusesDatatypesNotInTheTable) {
    for (LPCWSTR datatype : {u"XPS", u"nt emf 1.008", u"RAW ", u""}) {
        EXPECT_EQ(Open(datatype), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATATYPE));
    }
    EXPECT_EQ(Open(nullptr), nullptr);
    EXPECT_EQ(Open(u"RAW", nullptr), nullptr);
    EXPECT_EQ(m_library.OpenPrintProcessor(const_cast<LPWSTR>(u"P"), nullptr), nullptr);
}

TEST_F(OpenedProcessor, ControlsAnOpenHandle) {
    InstallSettingsPrinter(m_machine);
    HANDLE handle = Open(u"NT EMF 1.008", kPrinter);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(m_library.ControlPrintProcessor(handle, JOB_CONTROL_RESUME));  // nothing to resume
    EXPECT_TRUE(m_library.ControlPrintProcessor(handle, JOB_CONTROL_PAUSE));
    EXPECT_TRUE(m_library.ControlPrintProcessor(handle, JOB_CONTROL_RESUME));
    SetLastError(777);
    EXPECT_FALSE(m_library.ControlPrintProcessor(handle, 0));
    EXPECT_EQ(GetLastError(), 777u);
    EXPECT_FALSE(m_library.ControlPrintProcessor(handle, JOB_CONTROL_RESTART));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_COMMAND));
    EXPECT_TRUE(m_library.ControlPrintProcessor(handle, JOB_CONTROL_CANCEL));
    EXPECT_TRUE(m_library.ClosePrintProcessor(handle));
}

TEST_F(OpenedProcessor, EmfDatatypesOpenAndAJobWithoutSpoolFileFailsClearly) {
    InstallSettingsPrinter(m_machine);
    EXPECT_EQ(Open(u"NT EMF 1.008"), nullptr);  // a printer without settings
    for (LPCWSTR datatype : {u"NT EMF 1.008", u"NT EMF 1.007", u"NT EMF 1.006"}) {
        HANDLE handle = Open(datatype, kPrinter);
        ASSERT_NE(handle, nullptr) << Narrow(datatype);
        SetLastError(0);
        EXPECT_FALSE(m_library.PrintDocumentOnPrintProcessor(handle, const_cast<LPWSTR>(u"Palvex Processor Printer, Job 4")));
        EXPECT_NE(GetLastError(), 0u);
        EXPECT_FALSE(m_library.PrintDocumentOnPrintProcessor(handle, nullptr));
        EXPECT_TRUE(m_library.ClosePrintProcessor(handle));
    }
}

}  // namespace
}  // namespace pptest
