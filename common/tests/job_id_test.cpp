// QvCom_AssignJobID: the identifier's text and the caller's buffer protocol.
#include <cstring>

#include <palvex/clock.h>
#include <palvex/network.h>

#include "library_fixture.h"

namespace {

using palvex::NetworkAdapter;

NetworkAdapter Adapter(std::vector<uint8_t> address, std::vector<palvex::NetworkAddress> ipv4 = {}) {
    return NetworkAdapter{"eth0", "Ethernet", std::move(address), 2, 6, std::move(ipv4)};
}

class JobIdTest : public tovqebco_test::LibraryTest {
protected:
    void SetUp() override {
        LibraryTest::SetUp();
        // 9 December, 10:05:07.042 UTC (the year is not part of the identifier).
        palvex::SetVirtualClock(SYSTEMTIME{2024, 12, 0, 9, 10, 5, 7, 42});
    }

    // The identifier through a 64-byte buffer, as the render plug-in asks for it.
    std::string Identifier() {
        BYTE buffer[64];
        std::memset(buffer, 0xCC, sizeof(buffer));
        DWORD length = sizeof(buffer);
        EXPECT_TRUE(m_library.assignJobId(buffer, &length));
        EXPECT_EQ(length, 26u);
        EXPECT_EQ(buffer[25], 0);
        EXPECT_EQ(buffer[26], 0xCC);  // nothing written past the identifier
        return std::string(reinterpret_cast<char*>(buffer));
    }
};

TEST_F(JobIdTest, JoinsTheAdaptersAddressAndTheUtcTime) {
    palvex::SetNetworkAdapters({Adapter({0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F})});
    EXPECT_EQ(Identifier(), "001B2C3D4E5F1209100507042");
}

TEST_F(JobIdTest, TakesTheFirstAdaptersFirstSixBytesOrNone) {
    const NetworkAdapter other{"eth1", "", {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}, 3, 6, {}};
    std::vector<palvex::NetworkAddress> many;
    for (int i = 1; i <= 20; ++i) many.push_back({"10.0.0." + std::to_string(i), "255.255.255.0"});
    struct Case {
        const char* what;
        std::vector<NetworkAdapter> adapters;
        const char* identifier;
    } cases[] = {
        {"no adapter", {}, "FFFFFFFFFFFF1209100507042"},
        {"two adapters", {Adapter({0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45}), other}, "ABCDEF0123451209100507042"},
        {"an eight-byte address", {Adapter({1, 2, 3, 4, 5, 6, 7, 8})}, "0102030405061209100507042"},
        // More records than the first 704-byte buffer holds: the second call gets them.
        {"many addresses", {Adapter({0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5}, many), other}, "A0A1A2A3A4A51209100507042"},
        // An address shorter than six bytes would give stale bytes: it counts as none.
        {"a four-byte address", {Adapter({0x0A, 0x0B, 0x0C, 0x0D}), other}, "FFFFFFFFFFFF1209100507042"},
        {"no address", {Adapter({}), other}, "FFFFFFFFFFFF1209100507042"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        palvex::SetNetworkAdapters(c.adapters);
        EXPECT_EQ(Identifier(), c.identifier);
    }
}

TEST_F(JobIdTest, FormatsEveryTimeFieldWithItsZeros) {
    palvex::SetNetworkAdapters({});
    palvex::SetVirtualClock(SYSTEMTIME{2031, 1, 0, 2, 3, 4, 5, 6});
    EXPECT_EQ(Identifier(), "FFFFFFFFFFFF0102030405006");
    palvex::SetVirtualClock(SYSTEMTIME{2024, 11, 0, 30, 23, 59, 59, 999});
    EXPECT_EQ(Identifier(), "FFFFFFFFFFFF1130235959999");
}

TEST_F(JobIdTest, TheSameMillisecondGivesTheSameIdentifier) {
    palvex::SetNetworkAdapters({Adapter({0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F})});
    EXPECT_EQ(Identifier(), Identifier());
    Sleep(1);
    EXPECT_EQ(Identifier(), "001B2C3D4E5F1209100507043");
}

TEST_F(JobIdTest, AnswersTheSizeAndRefusesAShortBuffer) {
    palvex::SetNetworkAdapters({Adapter({0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F})});
    EXPECT_FALSE(m_library.assignJobId(nullptr, nullptr));

    DWORD length = 0;
    EXPECT_TRUE(m_library.assignJobId(nullptr, &length));
    EXPECT_EQ(length, 26u);

    BYTE buffer[26];
    std::memset(buffer, 0xCC, sizeof(buffer));
    length = 25;
    EXPECT_FALSE(m_library.assignJobId(buffer, &length));
    EXPECT_EQ(length, 26u);
    EXPECT_EQ(buffer[0], 0xCC);

    EXPECT_TRUE(m_library.assignJobId(buffer, &length));
    EXPECT_EQ(length, 26u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 26), std::string("001B2C3D4E5F1209100507042\0", 26));
}

}  // namespace
