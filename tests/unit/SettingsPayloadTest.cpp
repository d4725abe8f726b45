#include "link/SettingsPayload.h"
#include "DocFixture.h"
#include "SampleParam.h"
#include "params/ParamFields.h"
#include "params/ParamTexts.h"
#include "res/Texts.h"

#include <cstring>

namespace {
constexpr uint32_t IP_10_0_0_5 = 0x0A000005u;
constexpr uint32_t IP_UNSET = 0xC0A8C8FEu;

Bytes RecordBytes(const NODEPARAM& param) {
    const auto* p = reinterpret_cast<const uint8_t*>(&param);
    return Bytes(p, p + sizeof param);
}

Bytes Slice(const Bytes& bytes, size_t nOffset, size_t nLen) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(nOffset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(nOffset + nLen));
}

class SettingsPayload : public CDocFixture {
protected:
    void SetUp() override {
        MakeDoc();
        AddNetworkWithNodes({{"0080C8123456", IP_10_0_0_5}, {"0080C8000001", IP_10_0_0_5}});
        m_pSocket->ClearSent();
    }
    // Sends the record to node nIndex and returns the datagram.
    Bytes SendToNode(const NODEPARAM& param, int nIndex = 0, uint32_t dwDest = IP_10_0_0_5) {
        size_t nBefore = Sent().size();
        m_pDoc->SendSetParamToNode(param, nIndex, dwDest);
        EXPECT_EQ(Sent().size(), nBefore + 1);
        return Sent().empty() ? Bytes{} : Sent().back().vecData;
    }
};
} // namespace

// --- the block ---

TEST(SwapParamBlock, ConvertsExactlyTheEightBigEndianFields) {
    NODEPARAM p = SampleParam();
    Bytes before = RecordBytes(p);
    SwapParamBlock(p, SWAP_TO_NETWORK);
    Bytes wire = RecordBytes(p);
    EXPECT_EQ(Slice(wire, 0, 4), (Bytes{0xC0, 0xA8, 0x0A, 0x14}));
    EXPECT_EQ(Slice(wire, 4, 2), (Bytes{0x01, 0x02}));
    EXPECT_EQ(Slice(wire, 6, 4), (Bytes{0x0A, 0x00, 0x00, 0x01}));
    EXPECT_EQ(Slice(wire, 10, 2), (Bytes{0x27, 0x11}));
    EXPECT_EQ(Slice(wire, 12, 4), (Bytes{0xC0, 0xA8, 0x0A, 0x01}));
    EXPECT_EQ(Slice(wire, 16, 4), (Bytes{0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Slice(wire, 62, 2), (Bytes{0x05, 0xDC}));
    EXPECT_EQ(Slice(wire, 339, 2), (Bytes{0x12, 0x34}));
    EXPECT_EQ(Slice(wire, 66, 4), (Bytes{0x0A, 0x00, 0x00, 0x01})); // trap: untouched
    // Nothing else moved.
    for (size_t i : {20u, 64u, 65u, 70u, 341u, 715u, 716u}) {
        EXPECT_EQ(wire[i], before[i]) << i;
    }
    SwapParamBlock(p, SWAP_TO_HOST);
    EXPECT_EQ(RecordBytes(p), before);
}

TEST(SwapParamBlock, ReceivedBlockShowsInTheDialogTexts) {
    // A get-parameters reply's block as it arrives.
    Bytes wire(717, 0);
    const Bytes head = {0xC0, 0xA8, 0x0A, 0x14, 0x01, 0x01, 0x0A, 0x00, 0x00, 0x01, 0x02,
                        0x02, 0xC0, 0xA8, 0x0A, 0x01, 0xFF, 0xFF, 0xFF, 0x00, 0x78};
    std::copy(head.begin(), head.end(), wire.begin());
    wire[62] = 0x05;
    wire[63] = 0xDC;
    std::memcpy(&wire[66], "\x0A\x00\x00\x01", 4);
    wire[334] = 2;
    wire[335] = 0x0D;
    wire[336] = 0x0A;
    wire[339] = 0xFF;
    wire[340] = 0xFE;
    NODEPARAM p;
    std::memcpy(&p, wire.data(), sizeof p);
    SwapParamBlock(p, SWAP_TO_HOST);
    SParamTexts t = RenderParamTexts(p);
    EXPECT_EQ(t.strOwnIp, "192.168.10.20");
    EXPECT_EQ(t.strOwnPort, "257");
    EXPECT_EQ(t.strDestIp, "10.0.0.1");
    EXPECT_EQ(t.strDestPort, "514");
    EXPECT_EQ(t.strGateway, "192.168.10.1");
    EXPECT_EQ(t.strSubnetMask, "255.255.255.0");
    EXPECT_EQ(t.strConnectTimer, "120");
    EXPECT_EQ(t.strMtu, "1500");
    EXPECT_EQ(t.strIdleTimer, "65534");
    EXPECT_EQ(t.snmp.strTrapIp, "10.0.0.1");
    EXPECT_EQ(t.strRecordTerm, "0D0A");
    EXPECT_EQ(t.strFileTerm, "");
}

TEST(ComputeChecksum, SumsHeaderAndBlockUpToByte727) {
    Bytes datagram(730, 0);
    datagram[0] = 0xFF;
    datagram[1] = 0x02;
    datagram[727] = 0x10;
    datagram[728] = 0x99; // the old checksum does not count
    datagram[729] = 0x55; // nor the byte after it
    ComputeChecksum(datagram.data());
    EXPECT_EQ(datagram[728], 0x11); // 0xFF + 0x02 + 0x10 = 0x111
    EXPECT_EQ(datagram[729], 0x55);
}

// --- the set-parameters request ---

TEST_F(SettingsPayload, UnsetDestinationGoesByBroadcastWithTheNodesMac) {
    NODEPARAM p;
    std::memset(&p, 0, sizeof p);
    m_pDoc->SendSetParamToNode(p, 0, IP_UNSET);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].dwIp, 0xFFFFFFFFu);
    EXPECT_EQ(Sent()[0].wPort, 65533);
    const Bytes& d = Sent()[0].vecData;
    ASSERT_EQ(d.size(), 730u);
    EXPECT_EQ(Slice(d, 0, 13), (Bytes{0x76, 0x01, 0x01, 0x04, 0x00, 0x80, 0xC8, 0x12, 0x34, 0x56,
                                      0x95, 0x00, 0x00}));
    // A zero block: the checksum is the header's sum, 757 mod 256.
    EXPECT_EQ(d[728], 0xF5);
    EXPECT_EQ(Slice(d, 13, 715), Bytes(715, 0));
    EXPECT_EQ(d[729], 0x00);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(SettingsPayload, OtherDestinationsAreAddressedDirectly) {
    NODEPARAM p = SampleParam();
    SendToNode(p, 0, IP_10_0_0_5);
    EXPECT_EQ(Sent().back().dwIp, IP_10_0_0_5);
    SendToNode(p, 0, 0xFFFFFFFFu);
    EXPECT_EQ(Sent().back().dwIp, 0xFFFFFFFFu);
}

TEST_F(SettingsPayload, NumbersTravelBigEndianAtTheirDatagramOffsets) {
    NODEPARAM p = SampleParam();
    p.byReserved2 = 0x42;
    Bytes d = SendToNode(p);
    EXPECT_EQ(Slice(d, 13, 4), (Bytes{0xC0, 0xA8, 0x0A, 0x14}));
    EXPECT_EQ(Slice(d, 17, 2), (Bytes{0x01, 0x02}));
    EXPECT_EQ(Slice(d, 29, 4), (Bytes{0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(Slice(d, 75, 2), (Bytes{0x05, 0xDC}));             // MTU 1500
    EXPECT_EQ(Slice(d, 79, 4), (Bytes{0x0A, 0x00, 0x00, 0x01})); // trap 10.0.0.1
    EXPECT_EQ(Slice(d, 352, 2), (Bytes{0x12, 0x34}));
    EXPECT_EQ(d[729], 0x42); // the reserved byte as given
    // The caller's record stays in host order.
    EXPECT_EQ(uint16_t{p.wMtu}, 1500);
}

TEST_F(SettingsPayload, TrapTypedAsTextTravelsInNetworkOrder) {
    SParamTexts t = RenderParamTexts(SampleParam());
    t.snmp.strTrapIp = "10.0.0.1";
    Bytes d = SendToNode(BuildParamFromTexts(t, SampleParam()));
    EXPECT_EQ(Slice(d, 13 + 66, 4), (Bytes{0x0A, 0x00, 0x00, 0x01}));
}

TEST_F(SettingsPayload, ChecksumsToTwoMacsDifferByTheMacSums) {
    NODEPARAM p = SampleParam();
    p.byChecksum = 0x77; // whatever the record holds there is replaced
    Bytes d1 = SendToNode(p, 0);
    Bytes d2 = SendToNode(p, 1);
    EXPECT_EQ(Slice(d1, 13, 715), Slice(d2, 13, 715));
    // MAC 00 80 C8 12 34 56 sums to 0x1E4, 00 80 C8 00 00 01 to 0x149.
    EXPECT_EQ(static_cast<uint8_t>(d1[728] - d2[728]), static_cast<uint8_t>(0x1E4 - 0x149));
    uint32_t dwSum = 0;
    for (size_t i = 0; i < 728; ++i) {
        dwSum += d1[i];
    }
    EXPECT_EQ(d1[728], dwSum & 0xFF);
}

TEST_F(SettingsPayload, AFifteenCharacterTextArrivesWithItsNul) {
    SParamTexts t = RenderParamTexts(SampleParam());
    t.strUserName = "ABCDEFGHIJKLMNO";
    t.strPassword = "ABCDEFGHIJKLMNOPQRST"; // longer than the field: cut to 15
    t.strFileTerm = "";                     // its count follows the password
    Bytes d = SendToNode(BuildParamFromTexts(t, SampleParam()));
    EXPECT_EQ(Slice(d, 13 + 23, 16), (Bytes{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K',
                                            'L', 'M', 'N', 'O', 0}));
    EXPECT_EQ(Slice(d, 13 + 39, 16), Slice(d, 13 + 23, 16));
    EXPECT_EQ(d[13 + 55], 0); // the file terminator count after the password
}

TEST_F(SettingsPayload, RecordOfANodeOutsideTheRegistryUsesItsMacAndModel) {
    COXParam node;
    node.m_nModel = 1; // unknown model: code 0
    node.m_strMac = "112233445566FF";
    NODEPARAM p;
    std::memset(&p, 0, sizeof p);
    m_pDoc->SendSetParam(p, node, IP_10_0_0_5);
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Slice(Sent()[0].vecData, 4, 7), (Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x00}));
}

TEST_F(SettingsPayload, NoNodeAtTheIndexSendsNothing) {
    NODEPARAM p = SampleParam();
    m_pDoc->SendSetParamToNode(p, 5, IP_10_0_0_5);
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
}

TEST_F(SettingsPayload, AFailedSendIsReportedOnce) {
    m_pSocket->SetFailSend(true);
    m_ui.ExpectMessage("MRV-620へのﾃﾞｰﾀ送信時にｴﾗｰが発生しました");
    m_pDoc->SendSetParamToNode(SampleParam(), 0, IP_UNSET);
    EXPECT_EQ(m_ui.MessageTexts(), std::vector<std::string>{TXT_SEND_ERROR});
}

// --- dialog texts and back ---

TEST(ParamTexts, TerminatorTextsBecomeCountAndBytes) {
    NODEPARAM def;
    std::memset(&def, 0, sizeof def);
    def.byConnNotify = 0x5A; // the field after the record terminator
    def.byBootp = 0x5B;      // the field after the file terminator
    struct SCase {
        const char* pszText;
        Bytes expected;
    };
    for (const SCase& c : std::vector<SCase>{{"0D0A", {2, 0x0D, 0x0A}},
                                             {"", {0, 0, 0}},
                                             {"0D0", {1, 0x0D, 0}},
                                             {"1A", {1, 0x1A, 0}},
                                             {"0D0A0D0A", {2, 0x0D, 0x0A}},
                                             {"FFFFFFFFFFFF", {2, 0xFF, 0xFF}}}) {
        SParamTexts t = RenderParamTexts(def);
        t.strFileTerm = c.pszText;
        t.strRecordTerm = c.pszText;
        t.nConnNotify = 0x5A;
        t.nBootp = 0x5B;
        Bytes b = RecordBytes(BuildParamFromTexts(t, def));
        EXPECT_EQ(Slice(b, 55, 3), c.expected) << c.pszText;
        EXPECT_EQ(Slice(b, 334, 3), c.expected) << c.pszText;
        EXPECT_EQ(b[58], 0x5B) << c.pszText; // never written past the two bytes
        EXPECT_EQ(b[337], 0x5A) << c.pszText;
    }
}

TEST(ParamTexts, TerminatorShowsOnlyItsCountedBytes) {
    NODEPARAM p;
    std::memset(&p, 0, sizeof p);
    p.abRecordTerm[0] = 0x0D;
    p.abRecordTerm[1] = 0x0A;
    p.byRecordTermLen = 0;
    EXPECT_EQ(RenderParamTexts(p).strRecordTerm, "");
    p.byRecordTermLen = 1;
    EXPECT_EQ(RenderParamTexts(p).strRecordTerm, "0D");
    p.byRecordTermLen = 9; // a node's bad count shows the field's two bytes only
    EXPECT_EQ(RenderParamTexts(p).strRecordTerm, "0D0A");
}

TEST(ParamTexts, BuildStartsFromTheDefaultsAndStoresListIndexes) {
    NODEPARAM def = SampleParam();
    def.abReserved1[0] = 0xA1;
    def.abReserved1[11] = 0xA2;
    def.byReserved2 = 0xA3;
    SParamTexts t = RenderParamTexts(def);
    t.nBaudRate = -1; // no selection
    t.nParity = 2;
    t.strNoCommTimer = "abc";
    t.strMtu = "70000";
    Bytes b = RecordBytes(BuildParamFromTexts(t, def));
    EXPECT_EQ(b[341], 0xA1);
    EXPECT_EQ(b[352], 0xA2);
    EXPECT_EQ(b[716], 0xA3);
    EXPECT_EQ(b[329], 0xFF);
    EXPECT_EQ(b[331], 2);
    EXPECT_EQ(b[22], 0);                             // "abc" counts as 0
    EXPECT_EQ(Slice(b, 62, 2), (Bytes{0x70, 0x11})); // 70000 keeps its low 16 bits: 4464
}

TEST(ParamTexts, TextsAreZeroFilledBehindTheirEnd) {
    NODEPARAM def;
    std::memset(&def, 'x', sizeof def);
    SParamTexts t = RenderParamTexts(def);
    EXPECT_EQ(t.strUserName, std::string(16, 'x')); // an unterminated field stays inside
    t.strUserName = "ab";
    t.arrStartProgram[15] = "12345678901234";
    t.snmp.strSysName = "n";
    Bytes b = RecordBytes(BuildParamFromTexts(t, def));
    EXPECT_EQ(Slice(b, 23, 16), (Bytes{'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Slice(b, 353 + 15 * 13, 13),
              (Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2', 0}));
    EXPECT_EQ(Slice(b, 264, 65)[0], 'n');
    EXPECT_EQ(Slice(b, 265, 64), Bytes(64, 0));
    EXPECT_EQ(b[561], 'x'); // rendered then copied back: cut to 12 bytes and a NUL
    EXPECT_EQ(b[573], 0);
}

TEST(ParamTexts, RenderThenBuildGivesTheRecordBack) {
    NODEPARAM p = SampleParam();
    NODEPARAM def;
    std::memset(&def, 0, sizeof def);
    EXPECT_EQ(RecordBytes(BuildParamFromTexts(RenderParamTexts(p), def)), RecordBytes(p));
}
