// GetAdaptersInfo: the two-call buffer protocol and the records built from the machine's adapters.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <palvex/machine.h>
#include <palvex/network.h>
#include <win/iphlpapi.h>
#include <win/windows.h>

namespace {

using palvex::NetworkAdapter;

const NetworkAdapter kEthernet{"eth0", "Gigabit Ethernet", {0x00, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F}, 2, MIB_IF_TYPE_ETHERNET,
                               {{"192.168.1.20", "255.255.255.0"}, {"10.0.0.5", "255.0.0.0"}, {"172.16.0.9", "255.255.0.0"}}};
const NetworkAdapter kWireless{"wlan0", "Wireless", {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE}, 7, IF_TYPE_IEEE80211, {}};

class AdaptersTest : public ::testing::Test {
protected:
    palvex::TestMachine m_machine;
};

TEST_F(AdaptersTest, AsksForTheSizeThenFillsTheBuffer) {
    palvex::SetNetworkAdapters({kWireless});
    EXPECT_EQ(GetAdaptersInfo(nullptr, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ULONG size = 0;
    EXPECT_EQ(GetAdaptersInfo(nullptr, &size), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, 704u);
    std::vector<IP_ADAPTER_INFO> records(1);
    size = 703;
    EXPECT_EQ(GetAdaptersInfo(records.data(), &size), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, 704u);
    EXPECT_EQ(GetAdaptersInfo(records.data(), &size), static_cast<DWORD>(NO_ERROR));
    const IP_ADAPTER_INFO& info = records[0];
    EXPECT_EQ(info.Next, nullptr);
    EXPECT_STREQ(info.AdapterName, "wlan0");
    EXPECT_STREQ(info.Description, "Wireless");
    EXPECT_EQ(info.AddressLength, 6u);
    EXPECT_EQ(std::vector<BYTE>(info.Address, info.Address + 8), (std::vector<BYTE>{0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0, 0}));
    EXPECT_EQ(info.Index, 7u);
    EXPECT_EQ(info.ComboIndex, 7u);
    EXPECT_EQ(info.Type, static_cast<UINT>(IF_TYPE_IEEE80211));
    EXPECT_STREQ(info.IpAddressList.IpAddress.String, "0.0.0.0");
    EXPECT_EQ(info.IpAddressList.Next, nullptr);
    EXPECT_STREQ(info.GatewayList.IpAddress.String, "");
}

TEST_F(AdaptersTest, ChainsAdaptersAndTheirFurtherAddressesInsideTheBuffer) {
    palvex::SetNetworkAdapters({kEthernet, kWireless});
    ULONG size = 0;
    ASSERT_EQ(GetAdaptersInfo(nullptr, &size), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    ASSERT_EQ(size, 2 * 704u + 2 * 48u);  // two records, then the first adapter's second and third address
    std::vector<BYTE> buffer(size);
    auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    ASSERT_EQ(GetAdaptersInfo(first, &size), static_cast<DWORD>(NO_ERROR));
    ASSERT_EQ(first->Next, first + 1);
    EXPECT_STREQ(first->Next->AdapterName, "wlan0");
    EXPECT_EQ(first->Next->Next, nullptr);
    std::vector<std::pair<std::string, std::string>> addresses;
    for (const IP_ADDR_STRING* a = &first->IpAddressList; a; a = a->Next) {
        if (a != &first->IpAddressList) {
            EXPECT_GE(reinterpret_cast<const BYTE*>(a), buffer.data() + 2 * 704);
            EXPECT_LE(reinterpret_cast<const BYTE*>(a + 1), buffer.data() + buffer.size());
        }
        addresses.emplace_back(a->IpAddress.String, a->IpMask.String);
    }
    EXPECT_EQ(addresses, (std::vector<std::pair<std::string, std::string>>{
                             {"192.168.1.20", "255.255.255.0"}, {"10.0.0.5", "255.0.0.0"}, {"172.16.0.9", "255.255.0.0"}}));
}

TEST_F(AdaptersTest, AMachineWithoutAdaptersHasNoData) {
    palvex::SetNetworkAdapters({});
    ULONG size = 0;
    EXPECT_EQ(GetAdaptersInfo(nullptr, &size), static_cast<DWORD>(ERROR_NO_DATA));
}

TEST_F(AdaptersTest, OtherProcessesSeeTheSetAdapters) {
    palvex::SetNetworkAdapters({kWireless});
    pid_t child = fork();
    if (child == 0) {
        IP_ADAPTER_INFO info{};
        ULONG size = sizeof(info);
        _exit(GetAdaptersInfo(&info, &size) == NO_ERROR ? info.Address[1] : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0xAA);
}

TEST_F(AdaptersTest, ByDefaultReportsThisComputersOwnInterfaces) {
    palvex::SetNetworkAdapters({});
    palvex::UseHostNetworkAdapters();
    std::vector<NetworkAdapter> host = palvex::HostNetworkAdapters();
    EXPECT_EQ(palvex::MachineNetworkAdapters(), host);
    for (size_t i = 0; i < host.size(); ++i) {
        EXPECT_NE(host[i].name, "lo");
        EXPECT_TRUE(std::any_of(host[i].address.begin(), host[i].address.end(), [](uint8_t b) { return b != 0; }));
        if (i > 0) {
            EXPECT_LT(host[i - 1].index, host[i].index);
        }
    }
    ULONG size = 0;
    DWORD result = GetAdaptersInfo(nullptr, &size);
    EXPECT_EQ(result, static_cast<DWORD>(host.empty() ? ERROR_NO_DATA : ERROR_BUFFER_OVERFLOW));
}

TEST_F(AdaptersTest, RefusesAdaptersItCannotReport) {
    NetworkAdapter longAddress = kWireless;
    longAddress.address.assign(9, 0x11);
    EXPECT_THROW(palvex::SetNetworkAdapters({longAddress}), std::invalid_argument);
    NetworkAdapter badAddress = kWireless;
    badAddress.ipv4 = {{"192.168.1.300", "255.255.255.0"}};
    EXPECT_THROW(palvex::SetNetworkAdapters({badAddress}), std::invalid_argument);
}

}  // namespace
