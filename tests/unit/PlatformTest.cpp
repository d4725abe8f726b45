#include "MemoryDatagramSocket.h"
#include "ScriptedUi.h"
#include "TestClock.h"
#include "platform/Cp932.h"
#include "platform/HostAddress.h"
#include "platform/IpText.h"
#include "platform/ModulePath.h"
#include "platform/NetInterfaces.h"
#include "platform/PollMessagePump.h"
#include "ui/BusyScope.h"

#include <gtest/gtest.h>

TEST(Cp932, ConvertsBothWaysAndRefusesWhatItCannotHold) {
    std::string strUtf8;
    // "ﾚﾃﾞｨ" in half-width katakana is one byte a character in CP932.
    ASSERT_TRUE(Cp932ToUtf8("\xDA\xC3\xDE\xA8", strUtf8));
    EXPECT_EQ(strUtf8, "ﾚﾃﾞｨ");
    std::string strCp932;
    ASSERT_TRUE(Utf8ToCp932("検索", strCp932));
    EXPECT_EQ(strCp932, "\x8C\x9F\x8D\xF5");
    // An emoji has no CP932 form; the output is left alone.
    strCp932 = "kept";
    EXPECT_FALSE(Utf8ToCp932("A\xF0\x9F\x98\x80", strCp932));
    EXPECT_EQ(strCp932, "kept");
    // A lone lead byte is not CP932 text.
    EXPECT_FALSE(Cp932ToUtf8("\x82", strUtf8));
    EXPECT_EQ(Cp932ToUtf8Lossy("A\x82"), "A\xEF\xBF\xBD");
}

TEST(Cp932, CaseInsensitiveEqualityFoldsOnlySingleByteLetters) {
    EXPECT_TRUE(Cp932EqualNoCase("00a0c9ffee01", "00A0C9FFEE01"));
    EXPECT_FALSE(Cp932EqualNoCase("00A0C9FFEE01", "00A0C9FFEE0"));
    // The trail byte 0x61 ('a') of a double-byte character is not a letter.
    EXPECT_FALSE(Cp932EqualNoCase("\x82\x61", "\x82\x41"));
    EXPECT_TRUE(Cp932EqualNoCase("\x82\x61x", "\x82\x61X"));
}

TEST(ModulePath, SplitsDirectoryBaseNameAndExtension) {
    SModulePath path = SplitModulePath("/opt/mrv/bin/mrvmgr");
    EXPECT_EQ(path.strDir, "/opt/mrv/bin/");
    EXPECT_EQ(path.strBaseName, "mrvmgr");
    EXPECT_EQ(path.strExt, "");
    path = SplitModulePath("/x.y/Setup.Tool.exe");
    EXPECT_EQ(path.strDir, "/x.y/");
    EXPECT_EQ(path.strBaseName, "Setup.Tool");
    EXPECT_EQ(path.strExt, ".exe");
    path = SplitModulePath("/home/.hidden");
    EXPECT_EQ(path.strBaseName, ".hidden");
    EXPECT_FALSE(GetModulePath().strFull.empty());
}

TEST(IpText, ParsesLikeTheAddressParser) {
    EXPECT_EQ(ParseIpHost("192.168.200.254"), 0xC0A8C8FEu);
    EXPECT_EQ(ParseIpHost("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseIpHost("1.2.3.256"), IP_NONE);
    EXPECT_EQ(ParseIpHost("abc"), IP_NONE);
    EXPECT_EQ(ParseIpHost(""), IP_NONE);
    EXPECT_EQ(FormatIpHost(0x02020202u), "2.2.2.2");
    EXPECT_EQ(FormatIpHost(0xC0A8C8FEu), "192.168.200.254");
    uint32_t dwIp = 0;
    EXPECT_TRUE(ParseDottedStrict("10.0.0.1", dwIp));
    EXPECT_EQ(dwIp, 0x0A000001u);
    EXPECT_FALSE(ParseDottedStrict("10.0.1", dwIp));
}

TEST(HostAddress, DottedTextResolvesToItself) {
    uint32_t dwIp = 0;
    ASSERT_TRUE(ResolveAddress("10.62.0.1", dwIp));
    EXPECT_EQ(dwIp, 0x0A3E0001u);
}

// /proc/net/route as a PC with a LAN, a second segment and a default route shows it.
const char ROUTE_TABLE[] =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
    "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
    "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
    "eth1\t0000000A\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n"
    "eth2\t0000000A\t00000000\t0001\t0\t0\t50\t0000FFFF\t0\t0\t0\n"
    "eth3\t0002A8C0\t00000000\t0000\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";

TEST(PcAddresses, TheRouteTowardsANodeIsTheLongestPrefixThenTheLowestMetric) {
    EXPECT_EQ(RouteInterfaceFor(ROUTE_TABLE, 0xC0A80105u), "eth0"); // 192.168.1.5
    EXPECT_EQ(RouteInterfaceFor(ROUTE_TABLE, 0x0A000005u), "eth1"); // 10.0.0.5: metric 0
    EXPECT_EQ(RouteInterfaceFor(ROUTE_TABLE, 0xC0A80205u), "eth0"); // eth3's route is down
    EXPECT_EQ(RouteInterfaceFor(ROUTE_TABLE, 0x08080808u), "eth0"); // the default
    EXPECT_EQ(RouteInterfaceFor("", 0x08080808u), "");
}

TEST(PcAddresses, UpNonLoopbackInterfacesGiveThemTheRoutesOneFirst) {
    std::vector<SNetInterface> vec = {
        {"lo", 1, 0x7F000001u, true, true, false},    {"eth0", 2, 0xC0A80102u, true, false, true},
        {"eth1", 3, 0x0A000001u, true, false, true},  {"eth1", 3, 0x0A000002u, true, false, true},
        {"eth2", 4, 0xAC100001u, false, false, true}, // down
        {"ppp0", 5, 0x0B000001u, true, false, false}, // point to point: still the PC's
    };
    EXPECT_EQ(OrderPcAddresses(vec, "eth1"),
              (std::vector<uint32_t>{0x0A000001u, 0x0A000002u, 0xC0A80102u, 0x0B000001u}));
    EXPECT_EQ(OrderPcAddresses(vec, ""),
              (std::vector<uint32_t>{0xC0A80102u, 0x0A000001u, 0x0A000002u, 0x0B000001u}));
    EXPECT_TRUE(OrderPcAddresses({vec[0], vec[4]}, "lo").empty());
}

TEST(MemoryDatagramSocket, DescriptorIsReadableExactlyWhileDatagramsWait) {
    CMemoryDatagramSocket sock;
    CPollMessagePump pump;
    int nReads = 0;
    pump.Watch(sock.GetDescriptor(), [&] {
        uint8_t ab[8];
        std::string strAddr;
        uint16_t wPort = 0;
        if (sock.ReceiveFrom(ab, sizeof ab, strAddr, wPort) >= 0) {
            ++nReads;
            EXPECT_EQ(strAddr, "10.0.0.7");
            EXPECT_EQ(wPort, 65533);
        }
    });
    EXPECT_EQ(pump.PumpPendingMessages(), 0u);
    sock.Inject({1, 2, 3}, "10.0.0.7", 65533);
    sock.Inject({4}, "10.0.0.7", 65533);
    pump.PumpPendingMessages();
    EXPECT_EQ(nReads, 2);
    EXPECT_EQ(pump.PumpPendingMessages(), 0u);
    // Cut to the buffer, like a datagram socket.
    sock.Inject(std::vector<uint8_t>(20, 9), "10.0.0.7", 65533);
    uint8_t ab[8];
    std::string strAddr;
    uint16_t wPort = 0;
    EXPECT_EQ(sock.ReceiveFrom(ab, sizeof ab, strAddr, wPort), 8);
    pump.Unwatch(sock.GetDescriptor());
}

TEST(MemoryDatagramSocket, SendsOnlyWhenBound) {
    CMemoryDatagramSocket sock;
    uint8_t by = 1;
    EXPECT_EQ(sock.SendTo(&by, 1, 0x7F000001u, 65533), -1);
    ASSERT_TRUE(sock.Bind(65532));
    EXPECT_EQ(sock.SendTo(&by, 1, 0x7F000001u, 65533), 1);
    ASSERT_EQ(sock.GetSent().size(), 1u);
    EXPECT_EQ(sock.GetSent()[0].dwIp, 0x7F000001u);
}

TEST(BusyScope, DisablesShowsTextPumpsOnceAndRestores) {
    CScriptedUi ui;
    CPollMessagePump pump;
    bool bPumped = false;
    pump.Post([&] { bPumped = true; });
    {
        CBusyScope busy(ui, pump, "ﾉｰﾄﾞ検索中");
        EXPECT_TRUE(bPumped);
        EXPECT_EQ(ui.m_vecEnable, std::vector<bool>{false});
        EXPECT_EQ(ui.m_vecStatus, std::vector<std::string>{"ﾉｰﾄﾞ検索中"});
    }
    EXPECT_EQ(ui.m_vecEnable, (std::vector<bool>{false, true}));
    EXPECT_EQ(ui.m_vecStatus, (std::vector<std::string>{"ﾉｰﾄﾞ検索中", "ﾚﾃﾞｨ"}));
}

TEST(TestClock, SleepsAdvanceAndAreRecorded) {
    CTestClock clock(0xFFFFFFF0u);
    uint32_t dwStart = clock.GetTickCount();
    clock.Sleep(0x20);
    EXPECT_EQ(clock.Elapsed(dwStart), 0x20u); // across the wrap
    EXPECT_EQ(clock.GetSleeps(), std::vector<uint32_t>{0x20});
}
