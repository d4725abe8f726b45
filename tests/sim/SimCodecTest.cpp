// The node's datagram handling, pinned byte by byte.
#include "SimCodec.h"
#include "SimNode.h"
#include "SimParamFields.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
using Bytes = std::vector<uint8_t>;

const SimMac MAC_A{0x00, 0x80, 0xD4, 0x12, 0x34, 0x56};

Bytes Request(uint16_t wCode, const SimMac& mac, uint8_t byModel = 0x95) {
    return Bytes{
        0x76,   0x01,   uint8_t(wCode >> 8), uint8_t(wCode), mac[0], mac[1], mac[2], mac[3], mac[4],
        mac[5], byModel};
}

SSimOutcome Feed(CSimNode& node, const Bytes& vec, bool bBroadcast = true, uint64_t nNow = 1000) {
    SSimRequest req;
    EXPECT_TRUE(SimParseRequest(vec.data(), vec.size(), req));
    return node.Handle(req, bBroadcast, nNow);
}

// A set-parameters request built by hand: the block from the factory record's
// wire form with the address fields replaced, and a checksum over bytes 0..727.
Bytes SetParamRequest(const SimMac& mac, uint32_t dwIp, int nChecksumError = 0) {
    Bytes vec = Request(0x0104, mac);
    vec.push_back(0);
    vec.push_back(0);
    NODEPARAM param = SimFactoryParam();
    param.dwOwnIp = dwIp;
    vec.resize(730, 0);
    SimEncodeParam(param, vec.data() + 13);
    unsigned nSum = 0;
    for (size_t i = 0; i < 728; ++i) {
        nSum += vec[i];
    }
    vec[728] = uint8_t(nSum + unsigned(nChecksumError));
    return vec;
}
} // namespace

TEST(SimCodec, RequestsNeedSignatureKnownCodeAndTheirLength) {
    SSimRequest req;
    Bytes search = {0x76, 0x01, 0x01, 0x01, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x0F, 0x95};
    ASSERT_TRUE(SimParseRequest(search.data(), search.size(), req));
    EXPECT_EQ(req.wCode, 0x0101);
    EXPECT_EQ(req.mac, (SimMac{0x00, 0x00, 0x0A, 0x00, 0x00, 0x0F}));
    EXPECT_EQ(req.byModel, 0x95);

    Bytes bad = search;
    bad[1] = 0x02;
    EXPECT_FALSE(SimParseRequest(bad.data(), bad.size(), req));
    Bytes unknown = search;
    unknown[3] = 0x07; // 0x0107 is no request
    EXPECT_FALSE(SimParseRequest(unknown.data(), unknown.size(), req));
    Bytes shortMode = {0x76, 0x01, 0x01, 0x05, 0, 0x80, 0xD4, 0x12, 0x34, 0x56, 0x95};
    EXPECT_FALSE(SimParseRequest(shortMode.data(), shortMode.size(), req)); // no mode byte
    EXPECT_FALSE(SimParseRequest(search.data(), 10, req));
}

TEST(SimCodec, ParameterBlockIsBigEndianWithTheTrapAddressAsIs) {
    NODEPARAM param = SimFactoryParam();
    param.dwOwnIp = 0xC0A8010Au;  // 192.168.1.10
    param.dwTrapIp = 0x0100000Au; // 10.0.0.1 in memory order 0A 00 00 01
    param.wIdleTimer = 0x1234;
    uint8_t ab[717];
    SimEncodeParam(param, ab);
    EXPECT_EQ(Bytes(ab, ab + 24),
              (Bytes{0xC0, 0xA8, 0x01, 0x0A, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02,
                     0x02, 0x02, 0x02, 0x02, 0xFF, 0xFF, 0xFF, 0x00, 0x02, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Bytes(ab + 62, ab + 64), (Bytes{0x05, 0xDC}));
    EXPECT_EQ(Bytes(ab + 66, ab + 70), (Bytes{0x0A, 0x00, 0x00, 0x01}));
    EXPECT_EQ(Bytes(ab + 70, ab + 76), (Bytes{'4', '8', '2', '1', '3', 0}));
    EXPECT_EQ(Bytes(ab + 334, ab + 341), (Bytes{0x02, 0x0D, 0x0A, 0x00, 0x00, 0x12, 0x34}));
    EXPECT_EQ(Bytes(ab + 561, ab + 567), (Bytes{'F', 't', 'p', 'S', 'v', 0}));

    NODEPARAM back{};
    SimDecodeParam(ab, back);
    EXPECT_EQ(std::memcmp(&back, &param, sizeof param), 0);
}

TEST(SimCodec, VersionPayloadLayout) {
    SSimVersionInfo info;
    info.strBoard = "BOARD-01";
    info.chKernelMajor = 1;
    info.chKernelMinor = 5;
    info.chBootMajor = 2;
    info.chBootMinor = 10;
    info.vecApps.push_back({"APP1.mot", 1, 2, 256, 0x1234});
    SimBytes vec = SimComposeHeader(0x0208, MAC_A, 0x95, 7, 0);
    SimAppendVersion(vec, info);
    ASSERT_EQ(vec.size(), 232u);
    EXPECT_EQ(Bytes(vec.begin(), vec.begin() + 13), (Bytes{0x76, 0x01, 0x02, 0x08, 0x00, 0x80, 0xD4,
                                                           0x12, 0x34, 0x56, 0x95, 0x07, 0x00}));
    EXPECT_EQ(vec[13], 0x00);
    EXPECT_EQ(Bytes(vec.begin() + 14, vec.begin() + 32),
              (Bytes{'B', 'O', 'A', 'R', 'D', '-', '0', '1', 0, 0, 0, 0, 0, 0, 1, 5, 2, 10}));
    EXPECT_EQ(Bytes(vec.begin() + 32, vec.begin() + 52),
              (Bytes{'A', 'P', 'P', '1', '.', 'm', 'o',  't',  0,    0,
                     0,   0,   0,   0,   1,   2,   0x01, 0x00, 0x34, 0x12}));
    EXPECT_EQ(Bytes(vec.begin() + 52, vec.end()), Bytes(180, 0)); // the table ends
}

TEST(SimNodeUdp, SearchIsAnsweredForEveryProbeAndTheZeroMacOnly) {
    CSimNode node(MAC_A);
    for (uint8_t i = 0; i < 16; ++i) {
        SSimOutcome out = Feed(node, Request(0x0101, {0, 0, i, 0, 0, 0x0F}));
        ASSERT_EQ(out.vecReplies.size(), 1u) << int(i);
        EXPECT_EQ(out.vecReplies[0].vecData, (Bytes{0x76, 0x01, 0x02, 0x01, 0x00, 0x80, 0xD4, 0x12,
                                                    0x34, 0x56, 0x95, 0x00, 0x00}));
    }
    EXPECT_EQ(Feed(node, Request(0x0101, {0, 0, 0, 0, 0, 0}), false).vecReplies.size(), 1u);
    EXPECT_TRUE(Feed(node, Request(0x0101, {0, 0, 0x10, 0, 0, 0x0F})).vecReplies.empty());
    EXPECT_TRUE(Feed(node, Request(0x0101, {0, 0, 1, 0, 0, 0x0E})).vecReplies.empty());
    EXPECT_TRUE(Feed(node, Request(0x0101, MAC_A, 0x00)).vecReplies.empty()); // other model

    node.m_nProbes = 2;
    EXPECT_EQ(Feed(node, Request(0x0101, {0, 0, 1, 0, 0, 0x0F})).vecReplies.size(), 1u);
    EXPECT_TRUE(Feed(node, Request(0x0101, {0, 0, 2, 0, 0, 0x0F})).vecReplies.empty());
}

TEST(SimNodeUdp, RequestsForAnotherMacAreIgnoredUnrecorded) {
    CSimNode node(MAC_A);
    SSimOutcome out = Feed(node, Request(0x0103, {0x00, 0x80, 0xD4, 0x12, 0x34, 0x57}));
    EXPECT_FALSE(out.bForMe);
    EXPECT_TRUE(out.vecReplies.empty());
    EXPECT_TRUE(node.m_deqHistory.empty());
}

TEST(SimNodeUdp, GetParametersCarriesTheRecordBigEndian) {
    CSimNode node(MAC_A);
    node.m_byMode = 2;
    ASSERT_TRUE(SimSetParamField(node.m_param, "szUserName", "admin"));
    SSimOutcome out = Feed(node, Request(0x0103, MAC_A), false);
    ASSERT_EQ(out.vecReplies.size(), 1u);
    const SimBytes& vec = out.vecReplies[0].vecData;
    ASSERT_EQ(vec.size(), 730u);
    EXPECT_EQ(Bytes(vec.begin(), vec.begin() + 17),
              (Bytes{0x76, 0x01, 0x02, 0x03, 0x00, 0x80, 0xD4, 0x12, 0x34, 0x56, 0x95, 0x02, 0x00,
                     0xC0, 0xA8, 0xC8, 0xFE}));
    EXPECT_EQ(Bytes(vec.begin() + 36, vec.begin() + 42), (Bytes{'a', 'd', 'm', 'i', 'n', 0}));
    EXPECT_EQ(Bytes(vec.begin() + 75, vec.begin() + 77), (Bytes{0x05, 0xDC}));
    EXPECT_EQ(vec[728], 0x00); // the checksum slot belongs to requests
    EXPECT_EQ(node.m_deqHistory.back(), "0103 uc answered");
}

TEST(SimNodeUdp, SetParametersChecksTheChecksumThenTakesTheAddress) {
    CSimNode node(MAC_A);
    SSimOutcome bad = Feed(node, SetParamRequest(MAC_A, 0xC0A8010Au, 1));
    ASSERT_EQ(bad.vecReplies.size(), 1u);
    EXPECT_EQ(bad.vecReplies[0].vecData, (Bytes{0x76, 0x01, 0x02, 0x04, 0x00, 0x80, 0xD4, 0x12,
                                                0x34, 0x56, 0x95, 0x00, 0x01}));
    EXPECT_EQ(node.Ip(), 0xC0A8C8FEu);
    EXPECT_FALSE(bad.bStateChanged);

    SSimOutcome good = Feed(node, SetParamRequest(MAC_A, 0xC0A8010Au));
    ASSERT_EQ(good.vecReplies.size(), 1u);
    EXPECT_EQ(good.vecReplies[0].vecData[12], 0x00);
    EXPECT_TRUE(good.bStateChanged);
    EXPECT_EQ(node.Ip(), 0xC0A8010Au);
    EXPECT_EQ(SimFormatParamDiff(node.m_param), "dwOwnIp=192.168.1.10");
    EXPECT_EQ(node.m_deqHistory.front(), "0104 bc refused=01");
    EXPECT_EQ(node.m_deqHistory.back(), "0104 bc answered");

    Bytes shortSet = SetParamRequest(MAC_A, 0xC0A8010Bu);
    shortSet.pop_back();
    SSimRequest req;
    EXPECT_FALSE(SimParseRequest(shortSet.data(), shortSet.size(), req)); // not a request at all
    Bytes longSet = SetParamRequest(MAC_A, 0xC0A8010Bu);
    longSet.push_back(0);
    EXPECT_EQ(Feed(node, longSet).vecReplies[0].vecData[12], 0x02);
    EXPECT_EQ(Feed(node, SetParamRequest(MAC_A, 0)).vecReplies[0].vecData[12], 0x03);
    EXPECT_EQ(node.Ip(), 0xC0A8010Au);
}

TEST(SimNodeUdp, InitialiseRestoresTheFactoryRecord) {
    CSimNode node(MAC_A);
    node.m_param.dwOwnIp = 0x0A000005u;
    node.m_param.wMtu = 1400;
    SSimOutcome out = Feed(node, Request(0x0102, MAC_A), false);
    ASSERT_EQ(out.vecReplies.size(), 1u);
    EXPECT_EQ(out.vecReplies[0].vecData, (Bytes{0x76, 0x01, 0x02, 0x02, 0x00, 0x80, 0xD4, 0x12,
                                                0x34, 0x56, 0x95, 0x00, 0x00}));
    EXPECT_EQ(SimFormatParamDiff(node.m_param), "");
    EXPECT_EQ(node.Ip(), 0xC0A8C8FEu);
}

TEST(SimNodeUdp, ModeChangeAnswersInTheOldModeThenRestartsDeaf) {
    CSimNode node(MAC_A);
    node.m_nRestartMs = 2000;
    Bytes change = Request(0x0105, MAC_A);
    change.push_back(0x07);
    SSimOutcome out = Feed(node, change, false, 1000);
    ASSERT_EQ(out.vecReplies.size(), 1u);
    EXPECT_EQ(out.vecReplies[0].vecData, (Bytes{0x76, 0x01, 0x02, 0x05, 0x00, 0x80, 0xD4, 0x12,
                                                0x34, 0x56, 0x95, 0x00, 0x00}));
    EXPECT_EQ(node.m_byMode, 7);
    EXPECT_FALSE(node.IsFtpUp(2999));
    EXPECT_TRUE(Feed(node, Request(0x0103, MAC_A), false, 2999).vecReplies.empty());
    EXPECT_EQ(node.m_deqHistory.back(), "0103 uc deaf");
    EXPECT_TRUE(node.IsFtpUp(3000));
    SSimOutcome again = Feed(node, Request(0x0108, MAC_A), false, 3000);
    ASSERT_EQ(again.vecReplies.size(), 1u);
    EXPECT_EQ(again.vecReplies[0].vecData[11], 0x07);

    change.back() = 0x05; // no such mode
    EXPECT_EQ(Feed(node, change, false, 4000).vecReplies[0].vecData[12], 0x04);
    EXPECT_EQ(node.m_byMode, 7);
    change.back() = 0x00;
    Feed(node, change, false, 4000);
    EXPECT_EQ(node.m_byMode, 0);
    EXPECT_TRUE(node.IsAwake(4000)); // going back to operation needs no restart
    EXPECT_EQ(node.m_deqHistory.back(), "0105 uc mode=00 answered");
}

TEST(SimNodeUdp, RequestBytesThatMustBeZeroAreRefused) {
    CSimNode node(MAC_A);
    Bytes getParam = Request(0x0103, MAC_A);
    getParam.push_back(0x01); // a mode byte on a command that has none
    EXPECT_EQ(Feed(node, getParam).vecReplies[0].vecData[12], 0x02);
    Bytes search = Request(0x0101, {0, 0, 0, 0, 0, 0x0F});
    search.push_back(0);
    EXPECT_TRUE(Feed(node, search).vecReplies.empty());
    EXPECT_EQ(node.m_deqHistory.back(), "0101 bc malformed");
}

TEST(SimNodeUdp, FaultsShapeTheReplies) {
    CSimNode node(MAC_A);
    std::string strError;
    ASSERT_TRUE(node.m_faults.Set("drop", "50", strError));
    EXPECT_EQ(Feed(node, Request(0x0103, MAC_A)).vecReplies.size(), 1u);
    EXPECT_TRUE(Feed(node, Request(0x0103, MAC_A)).vecReplies.empty());
    EXPECT_EQ(Feed(node, Request(0x0103, MAC_A)).vecReplies.size(), 1u);
    EXPECT_TRUE(Feed(node, Request(0x0103, MAC_A)).vecReplies.empty());
    ASSERT_TRUE(node.m_faults.Set("clear", "", strError));

    ASSERT_TRUE(node.m_faults.Set("result", "0102 05", strError));
    node.m_param.wMtu = 1400;
    SSimOutcome refused = Feed(node, Request(0x0102, MAC_A));
    EXPECT_EQ(refused.vecReplies[0].vecData[12], 0x05);
    EXPECT_EQ(node.m_param.wMtu, 1400); // a refused command is not carried out

    ASSERT_TRUE(node.m_faults.Set("duplicate", "2", strError));
    ASSERT_TRUE(node.m_faults.Set("delay", "300", strError));
    ASSERT_TRUE(node.m_faults.Set("late", "0108 6000", strError));
    SSimOutcome late = Feed(node, Request(0x0108, MAC_A));
    ASSERT_EQ(late.vecReplies.size(), 3u);
    EXPECT_EQ(late.vecReplies[2].nDelayMs, 6000u);
    SSimOutcome next = Feed(node, Request(0x0108, MAC_A));
    EXPECT_EQ(next.vecReplies[0].nDelayMs, 300u); // late only once
    EXPECT_EQ(node.m_faults.Format(), "result=0102:05 delay=300 duplicate=2");

    ASSERT_TRUE(node.m_faults.Set("clear", "", strError));
    ASSERT_TRUE(node.m_faults.Set("nomode0", "on", strError));
    node.m_byMode = 7;
    Bytes toZero = Request(0x0105, MAC_A);
    toZero.push_back(0);
    EXPECT_TRUE(Feed(node, toZero).vecReplies.empty());
    EXPECT_EQ(node.m_byMode, 0);
    EXPECT_EQ(node.m_deqHistory.back(), "0105 bc mode=00 unanswered");

    // A command it ignores is neither carried out nor answered; others are.
    ASSERT_TRUE(node.m_faults.Set("clear", "", strError));
    ASSERT_TRUE(node.m_faults.Set("ignore", "0105 on", strError));
    Bytes toSetup = Request(0x0105, MAC_A);
    toSetup.push_back(7);
    EXPECT_TRUE(Feed(node, toSetup).vecReplies.empty());
    EXPECT_EQ(node.m_byMode, 0);
    EXPECT_EQ(node.m_deqHistory.back(), "0105 bc mode=07 ignored");
    EXPECT_EQ(Feed(node, Request(0x0103, MAC_A)).vecReplies.size(), 1u);
    ASSERT_TRUE(node.m_faults.Set("slow", "5000", strError));
    EXPECT_EQ(node.m_faults.Format(), "ignore=0105 slow=5000");
    ASSERT_TRUE(node.m_faults.Set("ignore", "0105 off", strError));
    EXPECT_EQ(Feed(node, toSetup).vecReplies.size(), 1u);
    EXPECT_FALSE(node.m_faults.Set("ignore", "0105", strError));

    ASSERT_TRUE(node.m_faults.Set("silent", "on", strError));
    EXPECT_TRUE(Feed(node, Request(0x0101, {0, 0, 0, 0, 0, 0x0F})).vecReplies.empty());
    EXPECT_FALSE(node.m_faults.Set("drop", "101", strError));
    EXPECT_FALSE(node.m_faults.Set("wobble", "on", strError));
    EXPECT_EQ(strError, "unknown fault wobble");
}
