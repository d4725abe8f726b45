// The control channel's requests and the node dump tests compare whole, and
// the configuration file.
#include "SimControl.h"
#include "SimConfig.h"

#include <gtest/gtest.h>

namespace {
const SimMac MAC_A{0x00, 0x80, 0xD4, 0x00, 0x00, 0x01};

class SimControl : public ::testing::Test {
protected:
    void SetUp() override {
        std::string strError;
        ASSERT_TRUE(SimLoadConfig("# two nodes\n"
                                  "defaults restart=1500 board=\"MRV-620 REV.B\"\n"
                                  "node mac=0080D4000001 ip=192.168.1.10 user=admin "
                                  "password=\"se cret\" app=TESTAPP.mot:1.02:600\n"
                                  "node mac=0080d4000002   # unaddressed\n",
                                  m_nodes, strError))
            << strError;
    }

    std::string Run(const std::string& strLine, uint64_t nNow = 1000) {
        return m_control.Execute(strLine, nNow).strText;
    }

    SimNodeList m_nodes;
    std::vector<std::pair<CSimNode*, uint32_t>> m_vecChanged;
    CSimControl m_control{m_nodes, [this](CSimNode& node, uint32_t dwOldIp) {
                              m_vecChanged.emplace_back(&node, dwOldIp);
                          }};
};
} // namespace

TEST_F(SimControl, StateIsTheWholeNodeAsText) {
    ASSERT_EQ(m_nodes.size(), 2u);
    EXPECT_EQ(Run("STATE 0080D4000001"), "node 0080D4000001\n"
                                         "model 95\n"
                                         "ip 192.168.1.10\n"
                                         "mode 0\n"
                                         "run up\n"
                                         "ftp down\n"
                                         "account \"admin\" \"se cret\"\n"
                                         "param dwOwnIp=192.168.1.10 szUserName=\"admin\" "
                                         "szPassword=\"se cret\"\n"
                                         "board \"MRV-620 REV.B\"\n"
                                         "boot 1.00\n"
                                         "store keep\n"
                                         "file kernel \"mrv620.krn\" 262144 2.10\n"
                                         "file system \"boot.bin\" 32768 1.00\n"
                                         "file system \"param.dat\" 717 1.00\n"
                                         "file app \"TESTAPP.mot\" 600 1.02 sum=0000\n"
                                         "faults none\n"
                                         "OK\n");
    EXPECT_EQ(Run("LIST"), "0 0080D4000001 192.168.1.10 0 up\n"
                           "1 0080D4000002 192.168.200.254 0 up\n"
                           "OK\n");
    EXPECT_EQ(m_nodes[1]->m_nRestartMs, 1500u);
}

TEST_F(SimControl, FaultsAndSettingsShowInTheDump) {
    EXPECT_EQ(Run("FAULT #1 result 0104 05"), "OK\n");
    EXPECT_EQ(Run("FAULT #1 late 0103 6000"), "OK\n");
    EXPECT_EQ(Run("FAULT #1 nostor on"), "OK\n");
    EXPECT_EQ(Run("SET #1 param.szSysName Line 3 \"east\""), "OK\n");
    EXPECT_EQ(Run("SET #1 ip 192.168.1.11"), "OK\n");
    ASSERT_EQ(m_vecChanged.size(), 2u);
    EXPECT_EQ(m_vecChanged[1].second, 0xC0A8C8FEu);
    EXPECT_EQ(Run("SET #1 mode 7"), "OK\n");
    std::string strDump = Run("STATE #1");
    EXPECT_NE(strDump.find("\nip 192.168.1.11\nmode 7\nrun up\nftp up\naccount none\n"
                           "param dwOwnIp=192.168.1.11 szSysName=\"Line 3 \\\"east\\\"\"\n"),
              std::string::npos)
        << strDump;
    EXPECT_NE(strDump.find("\nfaults result=0104:05 late=0103:6000 nostor\nOK\n"),
              std::string::npos)
        << strDump;
    EXPECT_EQ(Run("FAULT * clear"), "OK\n");
    EXPECT_NE(Run("STATE #1").find("\nfaults none\n"), std::string::npos);
}

TEST_F(SimControl, BadRequestsSayWhy) {
    EXPECT_EQ(Run("STATE #7"), "ERR no node #7\n");
    EXPECT_EQ(Run("STATE 0080D40000"), "ERR no node 0080D40000\n");
    EXPECT_EQ(Run("FROB #0"), "ERR unknown request FROB\n");
    EXPECT_EQ(Run("FAULT #0 drop lots"), "ERR bad value for fault drop\n");
    EXPECT_EQ(Run("SET #0 mode 5"), "ERR bad mode 5\n");
    EXPECT_EQ(Run("SET #0 param.wMtu 70000"), "ERR bad parameter param.wMtu=70000\n");
    EXPECT_EQ(Run("WAIT * mode=7"), "ERR WAIT takes one node\n");
    EXPECT_EQ(Run("WAIT #0 colour=blue"), "ERR bad condition colour=blue\n");
    EXPECT_EQ(Run(""), "ERR empty request\n");
    EXPECT_EQ(Run("ping"), "OK\n");
}

TEST_F(SimControl, WaitHoldsOnceItsConditionsDo) {
    SSimControlReply reply = m_control.Execute("WAIT #0 mode=7 ftp=up timeout=3000", 1000);
    ASSERT_TRUE(reply.bWait);
    EXPECT_EQ(reply.wait.nDeadline, 4000u);
    EXPECT_FALSE(CSimControl::WaitHolds(reply.wait, 1000));
    m_nodes[0]->m_byMode = 7;
    m_nodes[0]->m_nAwakeAt = 2000;
    EXPECT_FALSE(CSimControl::WaitHolds(reply.wait, 1999));
    EXPECT_TRUE(CSimControl::WaitHolds(reply.wait, 2000));

    SSimControlReply seen = m_control.Execute("WAIT #1 seen=1 nofile=TESTAPP.mot", 1000);
    EXPECT_FALSE(CSimControl::WaitHolds(seen.wait, 1000));
    m_nodes[1]->m_deqHistory.push_back("0101 bc answered");
    EXPECT_TRUE(CSimControl::WaitHolds(seen.wait, 1000));
    EXPECT_EQ(Run("HISTORY #1"), "0101 bc answered\nOK\n");
    EXPECT_EQ(Run("HISTORY #1 CLEAR"), "OK\n");
    EXPECT_EQ(Run("HISTORY #1"), "OK\n");
}

TEST_F(SimControl, FtpLogGivesTheCommandLinesAsReceived) {
    m_nodes[0]->NoteFtpCommand("USER adm in");
    m_nodes[0]->NoteFtpCommand("DELE \\x");
    m_nodes[0]->NoteFtpCommand("PASS \r\x7f\xff\"");
    EXPECT_EQ(Run("FTPLOG #0"), "USER adm in\nDELE \\\\x\nPASS \\x0D\\x7F\\xFF\"\nOK\n");
    EXPECT_EQ(Run("FTPLOG #0 CLEAR"), "OK\n");
    EXPECT_EQ(Run("FTPLOG #0"), "OK\n");
    EXPECT_EQ(Run("FTPLOG #0 ALL"), "ERR FTPLOG takes CLEAR or nothing\n");
    EXPECT_EQ(Run("SET #0 store install"), "OK\n");
    EXPECT_NE(Run("STATE #0").find("\nstore install\n"), std::string::npos);
}

TEST(SimConfig, ErrorsNameTheirLine) {
    SimNodeList nodes;
    std::string strError;
    EXPECT_FALSE(SimLoadConfig("node ip=192.168.1.1\n", nodes, strError));
    EXPECT_EQ(strError, "line 1: a node needs mac=12 hex digits");
    EXPECT_FALSE(
        SimLoadConfig("\nnode mac=0080D4000001\nnode mac=0080D4000001\n", nodes, strError));
    EXPECT_EQ(strError, "line 3: MAC 0080D4000001 given twice");
    nodes.clear();
    EXPECT_FALSE(SimLoadConfig("node mac=0080D4000001 board=\"open\n", nodes, strError));
    EXPECT_EQ(strError, "line 1: unterminated quote in board");
    EXPECT_FALSE(SimLoadConfig("defaults ip=1.2.3.4\n", nodes, strError));
    EXPECT_EQ(strError, "line 1: ip belongs to a node");
    EXPECT_FALSE(SimLoadConfig("node mac=0080D4000001 fault.late=0103\n", nodes, strError));
    EXPECT_EQ(strError, "line 1: bad value for fault late");
    EXPECT_FALSE(SimLoadConfig("nodes mac=0080D4000001\n", nodes, strError));
    EXPECT_EQ(strError, "line 1: unknown statement nodes");
}

TEST(SimConfig, GeneratedNodesSkipHostZeroBroadcastAndTheUnsetAddress) {
    SimNodeList nodes;
    std::string strError;
    ASSERT_TRUE(SimGenerateNodes(5, 2, 0xC0A801FEu, MAC_A, nodes, strError));
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(SimMacToText(nodes[4]->m_mac), "0080D4000005");
    EXPECT_EQ(SimIpToText(nodes[0]->Ip()), "192.168.1.254");
    EXPECT_EQ(SimIpToText(nodes[1]->Ip()), "192.168.2.1");
    EXPECT_EQ(SimIpToText(nodes[2]->Ip()), "192.168.2.2");
    EXPECT_EQ(SimIpToText(nodes[3]->Ip()), "192.168.200.254");
    EXPECT_EQ(SimIpToText(nodes[4]->Ip()), "192.168.200.254");
    EXPECT_FALSE(SimGenerateNodes(1, 0, 0xC0A80101u, MAC_A, nodes, strError));
    EXPECT_EQ(strError, "generated MAC 0080D4000001 is taken");
}
