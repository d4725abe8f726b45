#include "registry/RegistryRules.h"
#include "registry/RegistryControls.h"
#include "res/Texts.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {
struct SNet {
    const char* pszName;
    uint32_t dwMask;
    uint32_t dwBaseIp;
};

std::vector<std::unique_ptr<CNetProperty>> Nets(std::initializer_list<SNet> nets) {
    std::vector<std::unique_ptr<CNetProperty>> arr;
    for (const SNet& net : nets) {
        auto p = std::make_unique<CNetProperty>();
        p->m_strName = net.pszName;
        p->m_dwSubnetMask = net.dwMask;
        p->m_dwBaseIp = net.dwBaseIp;
        arr.push_back(std::move(p));
    }
    return arr;
}

COXParam Node(const char* pszMac, uint32_t dwIp, int nModel = 0) {
    COXParam node;
    node.m_nModel = nModel;
    node.m_strMac = pszMac;
    node.m_dwIp = dwIp;
    return node;
}

constexpr uint32_t MASK_24 = 0xFFFFFF00u;
constexpr uint32_t MASK_16 = 0xFFFF0000u;
constexpr uint32_t UNSET = 0xC0A8C8FEu;

void ExpectFail(const SCheck& check, const std::string& strMessage, int nFocusId) {
    EXPECT_EQ(check.strMessage, strMessage);
    EXPECT_EQ(check.nFocusId, nFocusId);
    EXPECT_FALSE(check.Ok());
}
} // namespace

// --- network rules ---

class NetworkRules : public ::testing::Test {
protected:
    SCheck Check(const std::string& strName, const std::string& strMask,
                 const std::string& strGateway) {
        m_dwMask = m_dwGateway = 0xDEADBEEFu;
        return CheckNewNetwork(strName, strMask, strGateway, m_arrNets, m_dwMask, m_dwGateway);
    }
    std::vector<std::unique_ptr<CNetProperty>> m_arrNets = Nets({{"Lab", MASK_24, UNSET}});
    uint32_t m_dwMask = 0;
    uint32_t m_dwGateway = 0;
};

TEST_F(NetworkRules, NewNetworkDefaultsPassAndGiveTheParsedValues) {
    SCheck check = Check("Office", "255.255.255.0", "2.2.2.2");
    EXPECT_TRUE(check.Ok());
    EXPECT_EQ(m_dwMask, 0xFFFFFF00u);
    EXPECT_EQ(m_dwGateway, 0x02020202u);
}

TEST_F(NetworkRules, EmptyNameComesFirstAndLeavesTheFocus) {
    ExpectFail(Check("", "255.255.255.255", "0.0.0.0"), "ﾈｯﾄﾜｰｸ名を設定してください", 0);
}

TEST_F(NetworkRules, MaskAllOnesUnparsableOrWithFirstOctetZeroIsRefused) {
    for (const char* psz :
         {"255.255.255.255", "0.255.255.255", "0.0.0.0", "", "mask", "255.255.255.0.1"}) {
        SCOPED_TRACE(psz);
        // The gateway is bad too, but the mask is checked before it.
        ExpectFail(Check("Office", psz, "0.0.0.0"), "ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です", IDC_NET_MASK);
    }
    EXPECT_EQ(m_dwMask, 0xDEADBEEFu); // untouched on failure
}

TEST_F(NetworkRules, NonContiguousMaskIsAccepted) {
    EXPECT_TRUE(Check("Office", "255.0.255.0", "10.1.0.1").Ok());
    EXPECT_EQ(m_dwMask, 0xFF00FF00u);
}

TEST_F(NetworkRules, GatewayMustBeAHostOfItsSubnet) {
    for (const char* psz :
         {"255.255.255.255", "x", "0.1.2.3", "127.0.0.1", "255.1.1.1", "192.168.1.0"}) {
        SCOPED_TRACE(psz);
        ExpectFail(Check("Lab", "255.255.255.0", psz), "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽの値が異常です",
                   IDC_NET_GATEWAY);
    }
    // The host part depends on the mask typed with it.
    EXPECT_TRUE(Check("Office", "255.255.0.0", "192.168.1.0").Ok());
    ExpectFail(Check("Office", "255.0.255.0", "10.0.1.0"), "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽの値が異常です",
               IDC_NET_GATEWAY);
}

TEST_F(NetworkRules, DuplicateNameIsCheckedLastAndCaseSensitively) {
    ExpectFail(Check("Lab", "255.255.255.0", "2.2.2.2"), "ﾈｯﾄﾜｰｸ名が重複しています", IDC_NET_NAME);
    EXPECT_TRUE(Check("LAB", "255.255.255.0", "2.2.2.2").Ok());
    EXPECT_TRUE(Check("lab", "255.255.255.0", "2.2.2.2").Ok());
    EXPECT_TRUE(Check("Lab ", "255.255.255.0", "2.2.2.2").Ok());
}

// --- base IP rules ---

class BaseIpRules : public ::testing::Test {
protected:
    SCheck Check(const std::string& strBase, int nCurNet = 0) {
        m_dwBase = 0xDEADBEEFu;
        return CheckBaseIp(strBase, m_arrNets, nCurNet, m_dwBase);
    }
    std::vector<std::unique_ptr<CNetProperty>> m_arrNets = Nets({{"Lab", MASK_24, UNSET}});
    uint32_t m_dwBase = 0;
};

TEST_F(BaseIpRules, AHostAddressOfTheCurrentSubnetPasses) {
    EXPECT_TRUE(Check("192.168.1.10").Ok());
    EXPECT_EQ(m_dwBase, 0xC0A8010Au);
    // The current network's own subnet does not count as an overlap.
    EXPECT_TRUE(Check("192.168.200.10").Ok());
}

TEST_F(BaseIpRules, NoHostAddressIsRefused) {
    for (const char* psz :
         {"255.255.255.255", "", "base", "0.0.0.5", "127.0.0.5", "255.0.0.1", "192.168.1.0"}) {
        SCOPED_TRACE(psz);
        ExpectFail(Check(psz), "ﾍﾞｰｽIPｱﾄﾞﾚｽの値が異常です", IDC_AUTO_BASE_IP);
    }
    EXPECT_EQ(m_dwBase, 0xDEADBEEFu);
}

TEST_F(BaseIpRules, HostPartUsesTheCurrentNetworksMask) {
    m_arrNets[0]->m_dwSubnetMask = MASK_16;
    EXPECT_TRUE(Check("192.168.1.0").Ok());
    ExpectFail(Check("192.168.0.0"), "ﾍﾞｰｽIPｱﾄﾞﾚｽの値が異常です", IDC_AUTO_BASE_IP);
}

TEST_F(BaseIpRules, TheUnsetAddressMustBeReplaced) {
    ExpectFail(Check("192.168.200.254"), "ﾍﾞｰｽIPｱﾄﾞﾚｽを設定してください", IDC_AUTO_BASE_IP);
}

TEST_F(BaseIpRules, AnotherNetworksSubnetIsNamedInBrackets) {
    m_arrNets = Nets({{"Lab", MASK_24, UNSET},
                      {"Plant", MASK_16, 0x0A010232u},    // 10.1.2.50/16
                      {"Backup", MASK_24, 0x0A016301u}}); // 10.1.99.1/24
    // Plant's own mask decides: 10.1.99.7 lies in 10.1.0.0/16. Plant is first.
    ExpectFail(Check("10.1.99.7"), "ｻﾌﾞﾈｯﾄが[Plant]と重複しています", IDC_AUTO_BASE_IP);
    ExpectFail(Check("10.1.2.7"), "ｻﾌﾞﾈｯﾄが[Plant]と重複しています", IDC_AUTO_BASE_IP);
    EXPECT_TRUE(Check("10.2.0.7").Ok());
    // From Plant, only Lab and Backup are others.
    ExpectFail(Check("10.1.99.9", 1), "ｻﾌﾞﾈｯﾄが[Backup]と重複しています", IDC_AUTO_BASE_IP);
    EXPECT_TRUE(Check("10.1.2.7", 1).Ok());
}

TEST_F(BaseIpRules, ANetworkNeverAssignedOccupiesTheUnsetSubnet) {
    m_arrNets = Nets({{"Lab", MASK_24, 0x0A000001u}, {"New", MASK_24, UNSET}});
    ExpectFail(Check("192.168.200.10"), "ｻﾌﾞﾈｯﾄが[New]と重複しています", IDC_AUTO_BASE_IP);
    EXPECT_TRUE(Check("192.168.201.10").Ok());
}

TEST_F(BaseIpRules, NetworkNameIsShownAsTextOnTheScreen) {
    // "ﾗﾎﾞ" in CP932 bytes, as the registry holds it.
    m_arrNets = Nets({{"Lab", MASK_24, UNSET}, {"\xD7\xCE\xDE", MASK_24, 0x0A000001u}});
    ExpectFail(Check("10.0.0.9"), "ｻﾌﾞﾈｯﾄが[ﾗﾎﾞ]と重複しています", IDC_AUTO_BASE_IP);
}

// --- node rules ---

class NodeRules : public ::testing::Test {
protected:
    SCheck Check(const std::string& strMac, const std::string& strIp, int nModel = 0) {
        m_dwIp = 0xDEADBEEFu;
        return CheckNewNode(strMac, strIp, nModel, m_arrNodes, m_dwIp);
    }
    std::vector<COXParam> m_arrNodes{Node("0080C8AABBCC", 0x0A000002u),
                                     Node("0080C8000001", 0x0A000003u)};
    uint32_t m_dwIp = 0;
};

TEST_F(NodeRules, NewMacAndAddressPassAndGiveTheParsedAddress) {
    EXPECT_TRUE(Check("0080C8000002", "10.0.0.4").Ok());
    EXPECT_EQ(m_dwIp, 0x0A000004u);
    // Parsed the way the address parser reads short forms.
    EXPECT_TRUE(Check("0080C8000002", "10.5").Ok());
    EXPECT_EQ(m_dwIp, 0x0A000005u);
}

TEST_F(NodeRules, MacMustBeTwelveCharactersButIsNotCheckedForDigits) {
    for (const char* psz : {"", "0080C8AABBC", "0080C8AABBCCD"}) {
        SCOPED_TRACE(psz);
        ExpectFail(Check(psz, "0.0.0.0"), "MACｱﾄﾞﾚｽは16進数12文字を入力してください", IDC_NODE_MAC);
    }
    EXPECT_TRUE(Check("ZZZZZZZZZZZZ", "10.0.0.4").Ok());
}

TEST_F(NodeRules, AddressMustNotBeBroadcastThisNetOrLoopback) {
    for (const char* psz : {"255.255.255.255", "", "node", "0.1.1.1", "127.0.0.1", "255.1.1.1"}) {
        SCOPED_TRACE(psz);
        ExpectFail(Check("0080C8000002", psz), "IPｱﾄﾞﾚｽの値が異常です", IDC_NODE_IP);
    }
    // No mask is known here, so a subnet's own address is not refused.
    EXPECT_TRUE(Check("0080C8000002", "192.168.1.0").Ok());
}

TEST_F(NodeRules, MacInAnyCaseIsAlreadyUsed) {
    ExpectFail(Check("0080c8aabbcc", "10.0.0.9"), "MACｱﾄﾞﾚｽは既に使用されています", IDC_NODE_MAC);
}

TEST_F(NodeRules, AddressAlreadyUsedOnlyForTheFirstModel) {
    ExpectFail(Check("0080C8000002", "10.0.0.3"), "IPｱﾄﾞﾚｽは既に使用されています", IDC_NODE_IP);
    EXPECT_TRUE(Check("0080C8000002", "10.0.0.3", 1).Ok());
}

TEST_F(NodeRules, TheFirstClashingNodeDecides) {
    // Node 0 has the address, node 1 the MAC: node 0 comes first.
    ExpectFail(Check("0080C8000001", "10.0.0.2"), "IPｱﾄﾞﾚｽは既に使用されています", IDC_NODE_IP);
    ExpectFail(Check("0080C8AABBCC", "10.0.0.3"), "MACｱﾄﾞﾚｽは既に使用されています", IDC_NODE_MAC);
}

TEST_F(NodeRules, ManyNodesMayWaitOnTheUnsetAddress) {
    m_arrNodes.push_back(Node("0080C8000002", UNSET));
    EXPECT_TRUE(Check("0080C8000003", "192.168.200.254").Ok());
    EXPECT_EQ(m_dwIp, UNSET);
    m_arrNodes.push_back(Node("0080C8000003", m_dwIp));
    EXPECT_TRUE(Check("0080C8000004", "192.168.200.254").Ok());
}
