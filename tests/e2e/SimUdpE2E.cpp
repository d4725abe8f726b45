// The simulated nodes seen over real datagrams from the PC's namespace: every
// byte the tests expect is written out here, not produced by a codec.
#include "RawNodeClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const RawBytes MAC_1 = {0x00, 0x80, 0xD4, 0x00, 0x00, 0x01};
const RawBytes MAC_2 = {0x00, 0x80, 0xD4, 0x00, 0x00, 0x02};
const RawBytes MAC_3 = {0x00, 0x80, 0xD4, 0x00, 0x00, 0x03};
const RawBytes MAC_4 = {0x00, 0x80, 0xD4, 0x00, 0x00, 0x04};

RawBytes Request(uint8_t byCode, const RawBytes& mac) {
    RawBytes vec = {0x76, 0x01, 0x01, byCode};
    vec.insert(vec.end(), mac.begin(), mac.end());
    vec.push_back(0x95);
    return vec;
}

RawBytes Reply(uint8_t byCode, const RawBytes& mac, uint8_t byMode, uint8_t byResult) {
    RawBytes vec = {0x76, 0x01, 0x02, byCode};
    vec.insert(vec.end(), mac.begin(), mac.end());
    vec.insert(vec.end(), {0x95, byMode, byResult});
    return vec;
}

std::string MacText(const RawBytes& vec) {
    char sz[13];
    std::snprintf(sz, sizeof sz, "%02X%02X%02X%02X%02X%02X", vec[4], vec[5], vec[6], vec[7], vec[8],
                  vec[9]);
    return sz;
}

class SimUdp : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "run me through scripts/testnet";
        ASSERT_TRUE(m_udp.IsOpen());
        ASSERT_TRUE(m_control.IsOpen()) << "no control channel at $MRVSIM_CONTROL";
        ASSERT_EQ(m_control.Request("PING"), "OK\n");
    }

    // The next datagram, which must arrive within 3 s.
    SRawDatagram Next() {
        SRawDatagram dgram;
        EXPECT_TRUE(m_udp.Receive(dgram, 3000)) << "no reply";
        return dgram;
    }

    // A 730-byte set-parameters request made from a node's own get-parameters
    // reply: the block with a new address and MTU, and the sum of bytes 0..727.
    RawBytes SetParamFrom(const RawBytes& vecGetReply, const RawBytes& mac, const RawBytes& ip,
                          uint8_t byChecksumError) {
        RawBytes vec = Request(0x04, mac);
        vec.insert(vec.end(), {0x00, 0x00});
        vec.insert(vec.end(), vecGetReply.begin() + 13, vecGetReply.end());
        std::copy(ip.begin(), ip.end(), vec.begin() + 13);
        vec[13 + 62] = 0x05; // MTU 1400
        vec[13 + 63] = 0x78;
        unsigned nSum = 0;
        for (size_t i = 0; i < 728; ++i) {
            nSum += vec[i];
        }
        vec[728] = uint8_t(nSum + byChecksumError);
        return vec;
    }

    CRawUdp m_udp{65532};
    CSimControlClient m_control;
};
} // namespace

TEST_F(SimUdp, BroadcastSearchIsAnsweredByEveryNodeFromItsOwnAddress) {
    for (uint8_t i = 0; i < 16; ++i) {
        ASSERT_TRUE(m_udp.SendTo("255.255.255.255",
                                 {0x76, 0x01, 0x01, 0x01, 0x00, 0x00, i, 0x00, 0x00, 0x0F, 0x95}));
    }
    std::map<std::string, std::set<std::string>> mapSources; // MAC -> sender addresses
    std::map<std::string, int> mapCount;
    SRawDatagram dgram;
    for (int n = 0; n < 64 && m_udp.Receive(dgram, 3000); ++n) {
        ASSERT_EQ(dgram.vecData.size(), 13u) << RawHex(dgram.vecData);
        EXPECT_EQ(dgram.wFromPort, 65533);
        std::string strMac = MacText(dgram.vecData);
        mapSources[strMac].insert(RawIpToText(dgram.dwFromIp));
        ++mapCount[strMac];
    }
    EXPECT_EQ(mapSources, (std::map<std::string, std::set<std::string>>{
                              {"0080D4000001", {"192.168.1.10"}},
                              {"0080D4000002", {"192.168.2.20"}},
                              {"0080D4000003", {"192.168.200.254"}},
                              {"0080D4000004", {"192.168.200.254"}}}));
    EXPECT_EQ(mapCount, (std::map<std::string, int>{{"0080D4000001", 16},
                                                    {"0080D4000002", 16},
                                                    {"0080D4000003", 16},
                                                    {"0080D4000004", 16}}));
    EXPECT_FALSE(m_udp.Receive(dgram, 0));
}

TEST_F(SimUdp, UnicastSearchWithTheZeroMacFindsEveryNodeAtThatAddress) {
    CRawUdp anyPort; // replies go to the requester's port, whichever it is
    ASSERT_TRUE(anyPort.SendTo("192.168.200.254", Request(0x01, {0, 0, 0, 0, 0, 0})));
    std::set<RawBytes> setReplies;
    SRawDatagram dgram;
    while (setReplies.size() < 2 && anyPort.Receive(dgram, 3000)) {
        EXPECT_EQ(RawIpToText(dgram.dwFromIp), "192.168.200.254");
        setReplies.insert(dgram.vecData);
    }
    EXPECT_EQ(setReplies, (std::set<RawBytes>{Reply(0x01, MAC_3, 0, 0), Reply(0x01, MAC_4, 0, 0)}));

    // A request to an address names one node by MAC; the other node there keeps quiet.
    ASSERT_TRUE(anyPort.SendTo("192.168.200.254", Request(0x03, MAC_4)));
    ASSERT_TRUE(anyPort.SendTo("192.168.200.254", Request(0x08, MAC_4)));
    ASSERT_TRUE(anyPort.Receive(dgram, 3000));
    EXPECT_EQ(RawBytes(dgram.vecData.begin(), dgram.vecData.begin() + 13),
              Reply(0x03, MAC_4, 0, 0));
    ASSERT_TRUE(anyPort.Receive(dgram, 3000));
    EXPECT_EQ(RawBytes(dgram.vecData.begin(), dgram.vecData.begin() + 13),
              Reply(0x08, MAC_4, 0, 0));
    EXPECT_EQ(m_control.Request("HISTORY 0080D4000003"), "0101 uc answered\nOK\n");
}

TEST_F(SimUdp, GetParametersReplyIsTheBlockBigEndian) {
    ASSERT_TRUE(m_udp.SendTo("192.168.1.10", Request(0x03, MAC_1)));
    SRawDatagram dgram = Next();
    const RawBytes& vec = dgram.vecData;
    ASSERT_EQ(vec.size(), 730u);
    EXPECT_EQ(RawIpToText(dgram.dwFromIp), "192.168.1.10");
    RawBytes expectedStart = Reply(0x03, MAC_1, 0, 0);
    expectedStart.insert(expectedStart.end(),
                         {0xC0, 0xA8, 0x01, 0x0A, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02,
                          0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0xFF, 0xFF, 0xFF, 0x00,
                          0x02, 0x00, 0x00, 'a',  'd',  'm',  'i',  'n',  0});
    EXPECT_EQ(RawBytes(vec.begin(), vec.begin() + 42), expectedStart);
    EXPECT_EQ(RawBytes(vec.begin() + 52, vec.begin() + 59),
              (RawBytes{'s', 'e', 'c', 'r', 'e', 't', 0}));
    EXPECT_EQ(RawBytes(vec.begin() + 75, vec.begin() + 77), (RawBytes{0x05, 0xDC}));
    EXPECT_EQ(RawBytes(vec.begin() + 83, vec.begin() + 89), (RawBytes{'4', '8', '2', '1', '3', 0}));
    EXPECT_EQ(RawBytes(vec.begin() + 347, vec.begin() + 350), (RawBytes{0x02, 0x0D, 0x0A}));
    EXPECT_EQ(RawBytes(vec.begin() + 574, vec.begin() + 580),
              (RawBytes{'F', 't', 'p', 'S', 'v', 0}));
    EXPECT_EQ(RawBytes(vec.begin() + 587, vec.begin() + 594),
              (RawBytes{'S', 'e', 'r', 'i', 'a', 'l', 0}));
}

TEST_F(SimUdp, SetParametersWithAWrongChecksumIsRefusedAndChangesNothing) {
    ASSERT_TRUE(m_udp.SendTo("192.168.2.20", Request(0x03, MAC_2)));
    RawBytes vecGet = Next().vecData;
    ASSERT_EQ(vecGet.size(), 730u);
    std::string strBefore = m_control.Request("STATE 0080D4000002");

    ASSERT_TRUE(m_udp.SendTo("192.168.2.20", SetParamFrom(vecGet, MAC_2, {192, 168, 2, 21}, 1)));
    SRawDatagram refused = Next();
    EXPECT_EQ(refused.vecData, Reply(0x04, MAC_2, 0, 0x01));
    EXPECT_EQ(m_control.Request("STATE 0080D4000002"), strBefore);

    // The same block with the right sum is taken: the node moves to its new address.
    ASSERT_TRUE(m_udp.SendTo("192.168.2.20", SetParamFrom(vecGet, MAC_2, {192, 168, 2, 21}, 0)));
    SRawDatagram taken = Next();
    EXPECT_EQ(taken.vecData, Reply(0x04, MAC_2, 0, 0x00));
    EXPECT_EQ(RawIpToText(taken.dwFromIp), "192.168.2.20"); // answered before it moved
    EXPECT_EQ(m_control.Request("STATE 0080D4000002"), "node 0080D4000002\n"
                                                       "model 95\n"
                                                       "ip 192.168.2.21\n"
                                                       "mode 0\n"
                                                       "run up\n"
                                                       "ftp down\n"
                                                       "account none\n"
                                                       "param dwOwnIp=192.168.2.21 wMtu=1400\n"
                                                       "board \"MRV-620 REV.A\"\n"
                                                       "boot 1.00\n"
                                                       "store keep\n"
                                                       "file kernel \"mrv620.krn\" 262144 2.10\n"
                                                       "file system \"boot.bin\" 32768 1.00\n"
                                                       "file system \"param.dat\" 717 1.00\n"
                                                       "faults none\n"
                                                       "OK\n");
    ASSERT_TRUE(m_udp.SendTo("192.168.2.21", Request(0x01, {0, 0, 0, 0, 0, 0})));
    SRawDatagram found = Next();
    EXPECT_EQ(found.vecData, Reply(0x01, MAC_2, 0, 0));
    EXPECT_EQ(RawIpToText(found.dwFromIp), "192.168.2.21");
    ASSERT_TRUE(m_udp.SendTo("192.168.2.20", Request(0x03, MAC_2)));
    ASSERT_TRUE(m_udp.SendTo("192.168.2.21", Request(0x02, MAC_2))); // initialise
    SRawDatagram init = Next();
    EXPECT_EQ(init.vecData, Reply(0x02, MAC_2, 0, 0)); // nothing answered at the old address
    EXPECT_NE(m_control.Request("STATE 0080D4000002").find("\nip 192.168.200.254\n"),
              std::string::npos);
}

TEST_F(SimUdp, ModeSevenRestartsDeafThenServesFtp) {
    ASSERT_EQ(m_control.Request("HISTORY 0080D4000001 CLEAR"), "OK\n");
    RawBytes change = Request(0x05, MAC_1);
    change.push_back(0x07);
    auto tStart = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_udp.SendTo("192.168.1.10", change));
    EXPECT_EQ(Next().vecData, Reply(0x05, MAC_1, 0, 0)); // still reports the old mode

    // Restarting: no datagram is answered and no FTP connection taken.
    ASSERT_TRUE(m_udp.SendTo("192.168.1.10", Request(0x08, MAC_1)));
    EXPECT_EQ(m_control.Request("WAIT 0080D4000001 seen=2 timeout=3000"), "OK\n");
    EXPECT_EQ(RawTcpConnect("192.168.1.10", 21), ECONNREFUSED);
    EXPECT_EQ(m_control.Request("WAIT 0080D4000001 run=up ftp=up timeout=5000"), "OK\n");
    auto nMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - tStart)
                   .count();
    EXPECT_GE(nMs, 1900);
    EXPECT_LT(nMs, 3000); // within the manager's fixed pause

    // Had the version request been answered, its reply would come first.
    ASSERT_TRUE(m_udp.SendTo("192.168.1.10", Request(0x03, MAC_1)));
    SRawDatagram after = Next();
    ASSERT_EQ(after.vecData.size(), 730u);
    EXPECT_EQ(RawBytes(after.vecData.begin(), after.vecData.begin() + 13),
              Reply(0x03, MAC_1, 7, 0));
    EXPECT_EQ(m_control.Request("HISTORY 0080D4000001"),
              "0105 uc mode=07 answered\n0108 uc deaf\n0103 uc answered\nOK\n");

    int fd = -1;
    ASSERT_EQ(RawTcpConnect("192.168.1.10", 21, &fd), 0);
    char buf[128] = {};
    ssize_t n = recv(fd, buf, sizeof buf - 1, 0);
    close(fd);
    EXPECT_EQ(std::string(buf, n > 0 ? size_t(n) : 0), "220 MRV-620 FTP server ready.\r\n");

    // Back to mode 0: answered, no restart, FTP gone.
    change.back() = 0x00;
    ASSERT_TRUE(m_udp.SendTo("192.168.1.10", change));
    EXPECT_EQ(Next().vecData, Reply(0x05, MAC_1, 7, 0));
    EXPECT_EQ(m_control.Request("WAIT 0080D4000001 mode=0 ftp=down timeout=1000"), "OK\n");
    EXPECT_EQ(RawTcpConnect("192.168.1.10", 21), ECONNREFUSED);
}

TEST_F(SimUdp, VersionReplyHasTheDocumentedLayout) {
    ASSERT_TRUE(m_udp.SendTo("255.255.255.255", Request(0x08, MAC_1)));
    SRawDatagram dgram = Next();
    RawBytes expected = Reply(0x08, MAC_1, 0, 0);
    expected.insert(expected.end(), {0x00, 'M', 'R', 'V', '6', '2', '0', '-', 'B', '0', '1', 0, 0,
                                     0, 0, 0x01, 0x05, 0x02, 0x0A});
    // TESTAPP.mot 1.02, 1000 bytes = 2 sectors of 512; SECOND.mot 2.10, 1 sector.
    expected.insert(expected.end(), {'T', 'E', 'S', 'T', 'A',  'P',  'P',  '.',  'm',  'o',
                                     't', 0,   0,   0,   0x01, 0x02, 0x00, 0x02, 0x00, 0x00});
    expected.insert(expected.end(), {'S', 'E', 'C', 'O', 'N',  'D',  '.',  'm',  'o',  't',
                                     0,   0,   0,   0,   0x02, 0x0A, 0x00, 0x01, 0x00, 0x00});
    expected.resize(232, 0);
    EXPECT_EQ(dgram.vecData, expected) << RawHex(dgram.vecData);
    EXPECT_EQ(RawIpToText(dgram.dwFromIp), "192.168.1.10");
}

TEST_F(SimUdp, FaultsSetThroughTheControlChannel) {
    ASSERT_EQ(m_control.Request("FAULT 0080D4000001 result 0103 07"), "OK\n");
    ASSERT_TRUE(m_udp.SendTo("192.168.1.10", Request(0x03, MAC_1)));
    SRawDatagram refused = Next();
    ASSERT_EQ(refused.vecData.size(), 730u);
    EXPECT_EQ(refused.vecData[12], 0x07);

    ASSERT_EQ(m_control.Request("FAULT 0080D4000001 clear"), "OK\n");
    ASSERT_EQ(m_control.Request("FAULT 0080D4000001 duplicate 2"), "OK\n");
    ASSERT_TRUE(m_udp.SendTo("192.168.1.10", Request(0x08, MAC_1)));
    for (int i = 0; i < 3; ++i) {
        RawBytes vec = Next().vecData;
        ASSERT_EQ(vec.size(), 232u);
        EXPECT_EQ(RawBytes(vec.begin(), vec.begin() + 13), Reply(0x08, MAC_1, 0, 0)) << i;
    }
    ASSERT_EQ(m_control.Request("FAULT 0080D4000001 clear"), "OK\n");
    ASSERT_EQ(m_control.Request("FAULT 0080D4000001 silent on"), "OK\n");
    ASSERT_TRUE(m_udp.SendTo("192.168.1.10", Request(0x03, MAC_1)));
    ASSERT_TRUE(m_udp.SendTo("192.168.200.254", Request(0x01, {0, 0, 0, 0, 0, 0})));
    // Replies come in order: the silent node's would come before the search answers.
    std::set<RawBytes> setSearch;
    setSearch.insert(Next().vecData);
    setSearch.insert(Next().vecData);
    EXPECT_EQ(setSearch, (std::set<RawBytes>{Reply(0x01, MAC_3, 0, 0), Reply(0x01, MAC_4, 0, 0)}));
    EXPECT_EQ(m_control.Request("HISTORY 0080D4000001"),
              "0103 uc refused=07\n0108 uc answered\n0103 uc silent\nOK\n");
}
