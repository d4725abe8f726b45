#include "params/ParamValidation.h"
#include "params/ParamControls.h"
#include "platform/NumberText.h"
#include "res/Texts.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
constexpr uint32_t PC_FIRST_IP = 0xC0A80A05u;  // 192.168.10.5
constexpr uint32_t PC_SECOND_IP = 0x0A000063u; // 10.0.0.99

// A page that passes every check.
SParamPageTexts GoodPage() {
    SParamPageTexts t;
    t.strOwnPort = "257";
    t.strDestIp = "2.2.2.2";
    t.strDestPort = "514";
    t.strConnectTimer = "2";
    t.strMtu = "1500";
    t.strNoCommTimer = "0";
    t.strKeepAlive = "0";
    t.strIdleTimer = "0";
    return t;
}

// A node settings dialog that passes every check.
SParamTexts GoodEditor() {
    SParamTexts t;
    t.strOwnIp = "192.168.10.20";
    t.strOwnPort = "257";
    t.strDestIp = "2.2.2.2";
    t.strDestPort = "514";
    t.strSubnetMask = "255.255.255.0";
    t.strGateway = "192.168.10.1";
    t.strKeepAlive = "0";
    t.strConnectTimer = "2";
    t.strNoCommTimer = "0";
    t.strMtu = "1500";
    t.strIdleTimer = "0";
    return t;
}

SSnmpTexts GoodSnmp() {
    SSnmpTexts t;
    t.strTrapIp = "0.0.0.0";
    t.strGetCommunity = "Kelpie";
    t.strSetCommunity = "Kelpie";
    t.strTrapCommunity = "Kelpie";
    return t;
}

// The PC's addresses, the one towards the nodes first.
std::vector<uint32_t> PcAddresses(uint32_t /*dwTowards*/) {
    return {PC_FIRST_IP, PC_SECOND_IP};
}

SCheck Editor(const SParamTexts& t) {
    return ValidateParamEditor(t, PcAddresses);
}

void ExpectFail(const SCheck& check, const char* pszMessage, int nId) {
    EXPECT_EQ(check.strMessage, pszMessage);
    EXPECT_EQ(check.nFocusId, nId);
}
} // namespace

// --- default-parameter page ---

TEST(ValidateParamPage, GoodValuesPassBothRuns) {
    EXPECT_TRUE(ValidateParamPage(GoodPage(), false).Ok());
    EXPECT_TRUE(ValidateParamPage(GoodPage(), true).Ok());
}

TEST(ValidateParamPage, MtuRangeIs514To1500) {
    for (const char* pszMtu : {"512", "513", "1501", "0", ""}) {
        SParamPageTexts t = GoodPage();
        t.strMtu = pszMtu;
        ExpectFail(ValidateParamPage(t, false), "MTUの値が異常です(514-1500)", 1150);
        ExpectFail(ValidateParamPage(t, true), "MTUの値が異常です(514-1500)", 1150);
    }
    for (const char* pszMtu : {"514", "1500"}) {
        SParamPageTexts t = GoodPage();
        t.strMtu = pszMtu;
        EXPECT_TRUE(ValidateParamPage(t, true).Ok()) << pszMtu;
    }
}

TEST(ValidateParamPage, DestinationFollowsTheDestinationRule) {
    SParamPageTexts t = GoodPage();
    for (const char* pszIp : {"255.255.255.255", "127.0.0.1", "1.2.3.4"}) {
        t.strDestIp = pszIp;
        EXPECT_TRUE(ValidateParamPage(t, true).Ok()) << pszIp;
    }
    for (const char* pszIp : {"0.1.2.3", "255.255.255.256", "", "a.b.c.d"}) {
        t.strDestIp = pszIp;
        ExpectFail(ValidateParamPage(t, false), "宛先IPｱﾄﾞﾚｽの値が異常です", IDC_PRM_DEST_IP);
    }
}

TEST(ValidateParamPage, NoCommunicationTimerIsCheckedOnlyOnApply) {
    SParamPageTexts t = GoodPage();
    t.strNoCommTimer = "241";
    EXPECT_TRUE(ValidateParamPage(t, false).Ok());
    ExpectFail(ValidateParamPage(t, true), "無通信監視ﾀｲﾏの値が異常です(0-240)", 1138);
    t.strNoCommTimer = "240";
    EXPECT_TRUE(ValidateParamPage(t, true).Ok());
}

TEST(ValidateParamPage, TimerRanges) {
    SParamPageTexts t = GoodPage();
    t.strConnectTimer = "1";
    ExpectFail(ValidateParamPage(t, false), "ｺﾈｸﾄﾀｲﾏの値が異常です(2-120)", 1135);
    t.strConnectTimer = "121";
    ExpectFail(ValidateParamPage(t, false), "ｺﾈｸﾄﾀｲﾏの値が異常です(2-120)", 1135);
    t.strConnectTimer = "120";
    t.strKeepAlive = "241";
    ExpectFail(ValidateParamPage(t, false), "ｷｰﾌﾟｱﾗｲﾌﾞﾀｲﾏの値が異常です(0-240)", 1151);
    t.strKeepAlive = "240";
    EXPECT_TRUE(ValidateParamPage(t, true).Ok());
}

TEST(ValidateParamPage, PortsComeLastDestinationFirstAndRefuseNegatives) {
    SParamPageTexts t = GoodPage();
    t.strOwnPort = "65536";
    t.strDestPort = "-1";
    ExpectFail(ValidateParamPage(t, false), "宛先ﾎﾟｰﾄの値が異常です(0-65535)", 1129);
    t.strDestPort = "65535";
    ExpectFail(ValidateParamPage(t, false), "自ﾎﾟｰﾄの値が異常です(0-65535)", 1127);
    t.strOwnPort = "0";
    EXPECT_TRUE(ValidateParamPage(t, true).Ok());
}

TEST(ValidateParamPage, ANonIntegerFieldIsRefusedBeforeAnyOtherCheck) {
    SParamPageTexts t = GoodPage();
    t.strDestIp = "0.0.0.0";
    t.strDestPort = "5x";
    ExpectFail(ValidateParamPage(t, false), "整数を入力してください。", IDC_PRM_DEST_PORT);
    t.strDestPort = "514";
    t.strNoCommTimer = ""; // the exchange runs on leave too
    ExpectFail(ValidateParamPage(t, false), "整数を入力してください。", IDC_PRM_NOCOMM_TIMER);
}

// --- node settings dialog ---

TEST(ValidateParamEditor, GoodValuesPass) {
    EXPECT_TRUE(Editor(GoodEditor()).Ok());
}

TEST(ValidateParamEditor, MtuRangeIs512To1500) {
    for (const char* pszMtu : {"512", "513", "1500"}) {
        SParamTexts t = GoodEditor();
        t.strMtu = pszMtu;
        EXPECT_TRUE(Editor(t).Ok()) << pszMtu;
    }
    for (const char* pszMtu : {"511", "1501"}) {
        SParamTexts t = GoodEditor();
        t.strMtu = pszMtu;
        ExpectFail(Editor(t), "MTU値が異常です(512-1500)", 1050);
    }
}

TEST(ValidateParamEditor, AddressRulesOfMaskDestinationOwnIpAndGateway) {
    struct SCase {
        std::string SParamTexts::*pField;
        const char* pszText;
        const char* pszMessage; // nullptr: passes
        int nId;
    };
    const char* pszMask = "ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です";
    const char* pszDest = "宛先IPｱﾄﾞﾚｽの値が異常です";
    const char* pszOwn = "自IPｱﾄﾞﾚｽの値が異常です";
    const char* pszGw = "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽの値が異常です";
    for (const SCase& c : std::vector<SCase>{
             {&SParamTexts::strSubnetMask, "1.2.3.4", nullptr, 0},
             {&SParamTexts::strSubnetMask, "255.255.255.255", nullptr, 0},
             {&SParamTexts::strSubnetMask, "0.0.0.0", nullptr, 0},
             {&SParamTexts::strSubnetMask, "255.255.255.256", pszMask, 1040},
             {&SParamTexts::strSubnetMask, "", pszMask, 1040},
             {&SParamTexts::strDestIp, "255.255.255.255", nullptr, 0},
             {&SParamTexts::strDestIp, "127.0.0.1", nullptr, 0},
             {&SParamTexts::strDestIp, "0.1.2.3", pszDest, 1032},
             {&SParamTexts::strOwnIp, "127.0.0.1", pszOwn, 1039},
             {&SParamTexts::strOwnIp, "0.1.2.3", pszOwn, 1039},
             {&SParamTexts::strOwnIp, "255.255.255.255", pszOwn, 1039},
             {&SParamTexts::strOwnIp, "255.1.2.3", pszOwn, 1039},
             {&SParamTexts::strOwnIp, "1.2.3.256", pszOwn, 1039},
             {&SParamTexts::strOwnIp, "126.255.255.254", nullptr, 0},
             {&SParamTexts::strGateway, "127.0.0.1", pszGw, 1046},
             {&SParamTexts::strGateway, "0.1.2.3", pszGw, 1046},
             {&SParamTexts::strGateway, "255.255.255.255", pszGw, 1046},
             {&SParamTexts::strGateway, "2.2.2.2", nullptr, 0},
         }) {
        SParamTexts t = GoodEditor();
        t.*c.pField = c.pszText;
        SCheck check = Editor(t);
        if (c.pszMessage == nullptr) {
            EXPECT_TRUE(check.Ok()) << c.pszText << ": " << check.strMessage;
        } else {
            EXPECT_EQ(check.strMessage, c.pszMessage) << c.pszText;
            EXPECT_EQ(check.nFocusId, c.nId) << c.pszText;
        }
    }
}

TEST(ValidateParamEditor, OwnIpMayBeNoneOfThePcsAddresses) {
    SParamTexts t = GoodEditor();
    std::vector<uint32_t> vecTowards;
    auto fnPc = [&](uint32_t dwTowards) {
        vecTowards.push_back(dwTowards);
        return PcAddresses(dwTowards);
    };
    t.strOwnIp = "192.168.10.5";
    ExpectFail(ValidateParamEditor(t, fnPc), "自IPｱﾄﾞﾚｽがPCのIPｱﾄﾞﾚｽと重複しています", 1039);
    // Any address of the PC: a node holding one could never be reached from it.
    t.strOwnIp = "10.0.0.99";
    ExpectFail(ValidateParamEditor(t, fnPc), "自IPｱﾄﾞﾚｽがPCのIPｱﾄﾞﾚｽと重複しています", 1039);
    t.strOwnIp = "192.168.10.6";
    EXPECT_TRUE(ValidateParamEditor(t, fnPc).Ok());
    // The interfaces are ordered towards the node's own address.
    EXPECT_EQ(vecTowards, (std::vector<uint32_t>{PC_FIRST_IP, PC_SECOND_IP, 0xC0A80A06u}));
}

TEST(ValidateParamEditor, UnknownPcAddressPassesTheDuplicateCheck) {
    SParamTexts t = GoodEditor();
    t.strOwnIp = "192.168.10.5";
    int nAsked = 0;
    auto fnUnknown = [&](uint32_t) {
        ++nAsked;
        return std::vector<uint32_t>();
    };
    EXPECT_TRUE(ValidateParamEditor(t, fnUnknown).Ok());
    EXPECT_EQ(nAsked, 1);
}

TEST(ValidateParamEditor, PcAddressIsAskedOnlyWhenItsCheckIsReached) {
    SParamTexts t = GoodEditor();
    t.strOwnIp = "127.0.0.1";
    int nAsked = 0;
    auto fnCount = [&](uint32_t dwTowards) {
        ++nAsked;
        return PcAddresses(dwTowards);
    };
    EXPECT_FALSE(ValidateParamEditor(t, fnCount).Ok());
    EXPECT_EQ(nAsked, 0);
}

TEST(ValidateParamEditor, NoCommunicationTimerIsANumberText) {
    SParamTexts t = GoodEditor();
    for (const char* pszText : {"abc", "240", "0", "12x"}) {
        t.strNoCommTimer = pszText;
        EXPECT_TRUE(Editor(t).Ok()) << pszText;
    }
    for (const char* pszText : {"-1", "241"}) {
        t.strNoCommTimer = pszText;
        ExpectFail(Editor(t), "無通信監視ﾀｲﾏの値が異常です(0-240)", 1025);
    }
}

TEST(ValidateParamEditor, TimerAndPortRanges) {
    SParamTexts t = GoodEditor();
    t.strConnectTimer = "121";
    ExpectFail(Editor(t), "ｺﾈｸﾄﾀｲﾏの値が異常です(2-120)", 1041);
    t.strConnectTimer = "1";
    ExpectFail(Editor(t), "ｺﾈｸﾄﾀｲﾏの値が異常です(2-120)", 1041);
    t.strConnectTimer = "120";
    t.strKeepAlive = "241";
    ExpectFail(Editor(t), "ｷｰﾌﾟｱﾗｲﾌﾞﾀｲﾏの値が異常です(0-240)", 1048);
    t.strKeepAlive = "240";
    // Own port before destination port in this dialog.
    t.strOwnPort = "-1";
    t.strDestPort = "65536";
    ExpectFail(Editor(t), "自ﾎﾟｰﾄ番号の値が異常です(0-65535)", 1027);
    t.strOwnPort = "65535";
    ExpectFail(Editor(t), "宛先ﾎﾟｰﾄ番号の値が異常です(0-65535)", 1033);
    t.strDestPort = "0";
    EXPECT_TRUE(Editor(t).Ok());
}

TEST(ValidateParamEditor, OnlyTheFirstFailureIsReported) {
    SParamTexts t = GoodEditor();
    t.strSubnetMask = "255.255.255.256";
    t.strMtu = "1501";
    t.strOwnIp = "127.0.0.1";
    ExpectFail(Editor(t), "ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です", 1040);
}

TEST(ValidateParamEditor, IntegerFieldsAreExchangedBeforeAnyCheck) {
    SParamTexts t = GoodEditor();
    t.strSubnetMask = "bad";
    t.strMtu = "15O0";
    ExpectFail(Editor(t), "整数を入力してください。", IDC_PED_MTU);
    t.strMtu = "1500";
    t.strIdleTimer = ""; // no range of its own, but still an integer field
    ExpectFail(Editor(t), "整数を入力してください。", IDC_PED_IDLE_TIMER);
    t.strIdleTimer = " 7 ";
    ExpectFail(Editor(t), "ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です", 1040);
}

// --- SNMP sub-dialog ---

TEST(ValidateSnmp, TrapAddressOnlyNeedsToParse) {
    SSnmpTexts t = GoodSnmp();
    for (const char* pszIp : {"0.0.0.0", "255.255.255.255", "127.0.0.1", "10.0.0.1"}) {
        t.strTrapIp = pszIp;
        EXPECT_TRUE(ValidateSnmp(t).Ok()) << pszIp;
    }
    for (const char* pszIp : {"1.2.3.256", "", "trap"}) {
        t.strTrapIp = pszIp;
        ExpectFail(ValidateSnmp(t), "Trap先IPの値が異常です", 1175);
    }
}

TEST(ValidateSnmp, CommunitiesMustNotBeEmptyCheckedInOrder) {
    SSnmpTexts t = GoodSnmp();
    t.strGetCommunity.clear();
    t.strSetCommunity.clear();
    t.strTrapCommunity.clear();
    ExpectFail(ValidateSnmp(t), "GET用コミュニティ名が異常です", 1177);
    t.strGetCommunity = "g";
    ExpectFail(ValidateSnmp(t), "SET用コミュニティ名が異常です", 1178);
    t.strSetCommunity = "s";
    ExpectFail(ValidateSnmp(t), "TRAP用コミュニティ名が異常です", 1179);
    t.strTrapCommunity = " ";
    EXPECT_TRUE(ValidateSnmp(t).Ok());
    t.strTrapIp = "x";
    ExpectFail(ValidateSnmp(t), "Trap先IPの値が異常です", 1175); // first
}

// --- the two readings of a number ---

TEST(NumberText, IntegerExchangeTakesOneWholeNumberBetweenBlanks) {
    int32_t n = -99;
    EXPECT_TRUE(ExchangeInt(" 12\t", n));
    EXPECT_EQ(n, 12);
    EXPECT_TRUE(ExchangeInt("+5", n));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(ExchangeInt("-1", n));
    EXPECT_EQ(n, -1);
    EXPECT_TRUE(ExchangeInt("0", n));
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(ExchangeInt("99999999999", n));
    EXPECT_EQ(n, INT32_MAX);
    for (const char* pszText : {"", " ", "-", "+", "12 3", "1x", "x1", "-0", "0x10"}) {
        EXPECT_FALSE(ExchangeInt(pszText, n)) << '"' << pszText << '"';
    }
}

TEST(NumberText, LeadingNumberReadsLikeAtoi) {
    EXPECT_EQ(ParseLeadingInt("  42abc"), 42);
    EXPECT_EQ(ParseLeadingInt("-1"), -1);
    EXPECT_EQ(ParseLeadingInt("abc"), 0);
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("- 1"), 0);
    EXPECT_EQ(ParseLeadingInt("4294967297"), 1); // wraps instead of overflowing
}
