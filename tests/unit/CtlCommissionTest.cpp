// mrvctl commission: the manifest's form and checks, and runs over nodes on
// the in-memory socket that remember what they were sent.
#include "cli/CtlCommission.h"
#include "CtlFixture.h"
#include "SampleParam.h"
#include "cli/CtlManifest.h"
#include "link/NodeProtocol.h"
#include "link/SettingsPayload.h"
#include "platform/IpText.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <map>

namespace {
// Documentation addresses: no PC running the tests has them on an interface.
constexpr uint32_t NET = 0xC6336400u; // 198.51.100.0/24
const std::string MAC_A = "0080C8000011";
const std::string MAC_B = "0080C8000012";
const std::string MAC_C = "0080C8000013";

SPlantFacts Facts() {
    SPlantFacts facts;
    facts.dwMask = 0xFFFFFF00u;
    facts.dwGateway = NET | 1;
    facts.dwDefaultDest = NET | 200;
    COXParam registered;
    registered.m_strMac = "0080C80000FE";
    registered.m_dwIp = NET | 50;
    facts.vecRegistered = {registered};
    facts.fnPcAddresses = [](uint32_t) { return std::vector<uint32_t>{NET | 2, 0x0A000001u}; };
    facts.fnLoadParams = [](const std::string& strPath, NODEPARAM& param, std::string& strWhy) {
        if (strPath != "/plant/line.ini") {
            strWhy = "cannot read the parameter file '" + strPath + "'";
            return false;
        }
        std::memset(&param, 0, sizeof param);
        param.dwDestIp = NET | 60;
        return true;
    };
    facts.fnCheckImage = [](const std::string& strPath, std::string& strWhy) {
        strWhy = "not an image";
        return strPath == "/plant/app.mot";
    };
    return facts;
}

std::vector<std::string> Problems(const SManifest& manifest) {
    std::vector<std::string> vec;
    for (const SManifestProblem& problem : manifest.vecProblems) {
        vec.push_back(std::to_string(problem.nLine) + ": " + problem.strText);
    }
    return vec;
}
} // namespace

TEST(CommissionManifest, ReadsCsvAsSpreadsheetsWriteIt) {
    // Header in any case, quoted fields with commas, quotes and a line break,
    // CR LF and LF, blank lines and empty rows, MACs with separators.
    const std::string strText =
        "\xEF\xBB\xBF"
        "MAC, Ip ,Serial,Remarks,Params,Image\r\n"
        "00:80:c8:00:00:11,198.51.100.11,SN-1,\"panel 3, left\",line.ini,\r\n"
        "\r\n"
        ",,,,,\r\n"
        "0080C8000012,198.51.100.12,,\"say \"\"hi\"\"\nthere\",,app.mot\n"
        "0080-C800-0013 , 198.51.100.13,SN-3,,/abs/p.ini,\n";
    std::string strUtf8;
    ASSERT_TRUE(ManifestTextToUtf8(strText, strUtf8));
    SManifest manifest = ParseManifest(strUtf8, "/plant/");
    EXPECT_EQ(Problems(manifest), std::vector<std::string>{});
    ASSERT_EQ(manifest.vecLines.size(), 3u);
    EXPECT_TRUE(manifest.bSerialColumn && manifest.bRemarksColumn);
    const SManifestLine& a = manifest.vecLines[0];
    EXPECT_EQ(a.nLine, 2);
    EXPECT_EQ(a.strMac, MAC_A);
    EXPECT_EQ(a.dwIp, NET | 11);
    EXPECT_EQ(a.strRemarks, "panel 3, left");
    EXPECT_EQ(a.strParamsPath, "/plant/line.ini");
    EXPECT_EQ(manifest.vecLines[1].nLine, 5);
    EXPECT_EQ(manifest.vecLines[1].strRemarks, "say \"hi\"\nthere");
    EXPECT_EQ(manifest.vecLines[1].strImagePath, "/plant/app.mot");
    EXPECT_EQ(manifest.vecLines[2].nLine, 7);
    EXPECT_EQ(manifest.vecLines[2].strMac, MAC_C);
    EXPECT_EQ(manifest.vecLines[2].strParamsPath, "/abs/p.ini");
    // CP932 (as a Japanese spreadsheet saves it) reads the same.
    ASSERT_TRUE(ManifestTextToUtf8(
        "mac,ip,remarks\r\n0080C8000011,198.51.100.11,\x83\x89\x83\x7B\r\n", strUtf8));
    EXPECT_EQ(ParseManifest(strUtf8, "").vecLines[0].strRemarks, "ラボ");
    EXPECT_FALSE(ManifestTextToUtf8("mac,ip\r\n\x81\xFF\r\n", strUtf8));
}

TEST(CommissionManifest, NamesEveryFaultOfItsFormWithItsLine) {
    struct SCase {
        const char* pszText;
        std::vector<std::string> vecProblems;
    };
    for (const SCase& c : std::vector<SCase>{
             {"", {"0: the manifest has no header row"}},
             {"mac,addr\n",
              {"1: unknown column 'addr' (mac, ip, serial, remarks, params, image)",
               "1: the header has no column 'ip'"}},
             {"mac,ip,mac\n", {"1: column 'mac' is there twice"}},
             {"mac,ip\n", {"0: the manifest names no node"}},
             {"mac,ip\n0080C8000011\n", {"2: 1 fields where the header has 2"}},
             {"mac,ip\n\"0080C8000011,198.51.100.11\n", {"0: a quoted field does not end"}},
             {"mac,ip\n0080C80000,198.51.100.11\n01005E000001,198.51.100.12\n"
              "000000000000,198.51.100.13\n",
              {"2: '0080C80000' is not a node's MAC (12 hex digits, not a group or zero MAC)",
               "3: '01005E000001' is not a node's MAC (12 hex digits, not a group or zero MAC)",
               "4: '000000000000' is not a node's MAC (12 hex digits, not a group or zero MAC)"}},
             {"mac,ip\n0080C8000011,198.51.100\n0080C8000012,198.51.100.x\n",
              {"2: '198.51.100' is not an address of four decimal parts",
               "3: '198.51.100.x' is not an address of four decimal parts"}},
         }) {
        EXPECT_EQ(Problems(ParseManifest(c.pszText, "/plant/")), c.vecProblems) << c.pszText;
    }
}

TEST(CommissionManifest, ChecksTheAddressesAgainstThePlant) {
    const std::string strText = "mac,ip,params,image\n"
                                "0080C8000011,198.51.100.11,,\n"         // 2: fine
                                "0080C8000012,198.51.100.11,,\n"         // 3: address again
                                "0080C8000011,198.51.100.14,,\n"         // 4: MAC again
                                "0080C8000015,198.51.101.15,,\n"         // 5: other subnet
                                "0080C8000016,198.51.100.255,,\n"        // 6: broadcast
                                "0080C8000017,198.51.100.2,,\n"          // 7: the PC
                                "0080C8000018,198.51.100.200,,\n"        // 8: default destination
                                "0080C8000019,198.51.100.60,line.ini,\n" // 9: its file's
                                "0080C800001A,198.51.100.1,,\n"          // 10: gateway
                                "0080C800001B,198.51.100.50,,\n"         // 11: a registered node's
                                "0080C800001C,192.168.200.254,,\n"       // 12: the unset address
                                "0080C800001D,127.0.0.9,nope.ini,bad.mot\n" // 13
                                "0080C800001E,198.51.100.70,,app.mot\n";    // 14: fine
    SManifest manifest = ParseManifest(strText, "/plant/");
    CheckManifest(manifest, Facts());
    EXPECT_EQ(Problems(manifest),
              (std::vector<std::string>{
                  "3: address 198.51.100.11 is on line 2 already",
                  "4: MAC 0080C8000011 is on line 2 already",
                  "5: 198.51.101.15 is outside the network's subnet 198.51.100.0/255.255.255.0",
                  "6: 198.51.100.255 is the network or broadcast address of its subnet",
                  "7: 198.51.100.2 is an address of this PC",
                  "8: 198.51.100.200 is the destination address of the node's parameters",
                  "9: 198.51.100.60 is the destination address of the node's parameters",
                  "10: 198.51.100.1 is the network's gateway",
                  "11: 198.51.100.50 is the address of registered node 0080C80000FE, which the "
                  "manifest does not name",
                  "12: 192.168.200.254 is the address of nodes without one (192.168.200.254)",
                  "13: cannot read the parameter file '/plant/nope.ini'",
                  "13: image 'bad.mot': not an image",
                  "13: 127.0.0.9 cannot be a node's own address",
              }));
}

namespace {
// Nodes that keep what they are sent: their address and settings come back
// in searches and get-settings replies.
class CtlCommission : public CCtlFixture {
protected:
    void SetUp() override {
        CCtlFixture::SetUp();
        m_pDoc->AddNetwork("LINE-B", 0xFFFFFF00u, NET | 1);
        for (const std::string& strMac : {MAC_A, MAC_B, MAC_C}) {
            m_mapIp[strMac] = UNSET;
        }
        for (int i = 0; i < 16; ++i) {
            char sz[16];
            std::snprintf(sz, sizeof sz, "0000%02X00000F", i);
            m_pNodes->SetResult(sz, CNodeResponder::SILENT);
        }
        m_pNodes->OnRequest([this](const CMemoryDatagramSocket::SDatagram& dg) { Remember(dg); });
        NODEPARAM param = SampleParam();
        SwapParamBlock(param, SWAP_TO_NETWORK);
        const auto* pBytes = reinterpret_cast<const uint8_t*>(&param);
        for (const std::string& strMac : {MAC_A, MAC_B, MAC_C}) {
            m_pNodes->SetParamBlock(strMac, std::vector<uint8_t>(pBytes, pBytes + sizeof param));
        }
        CScratchDir::Write(m_dir.File("line.ini"), "[MRV-620_Parameter]\r\nMtu=1400\r\n");
        CScratchDir::Write(m_dir.File("plant.csv"), "mac,ip,serial,remarks,params\r\n" + MAC_A +
                                                        ",198.51.100.11,SN-A,panel 1,\r\n" + MAC_B +
                                                        ",198.51.100.12,SN-B,panel 2,line.ini\r\n" +
                                                        MAC_C + ",198.51.100.13,SN-C,,\r\n");
    }

    void Remember(const CMemoryDatagramSocket::SDatagram& dg) {
        const uint16_t wCode = static_cast<uint16_t>(dg.vecData[2] << 8 | dg.vecData[3]);
        char szMac[16];
        std::snprintf(szMac, sizeof szMac, "%02X%02X%02X%02X%02X%02X", dg.vecData[4], dg.vecData[5],
                      dg.vecData[6], dg.vecData[7], dg.vecData[8], dg.vecData[9]);
        if (wCode == NODECMD_SEARCH && dg.vecData[6] == 0) {
            for (const auto& [strMac, dwIp] : m_mapIp) {
                std::vector<uint8_t> vec = CNodeResponder::Reply(0x0201, strMac, 0, 0);
                m_pSocket->Inject(vec, FormatIpHost(dwIp), 65533);
            }
        } else if (wCode == NODECMD_GET_VERSION) {
            // Board, kernel 2.10, boot 1.00, no application.
            std::vector<uint8_t> vec = CNodeResponder::Reply(0x0208, szMac, 0, 0);
            vec.resize(232, 0);
            std::memcpy(vec.data() + 14, "MRV-620", 7);
            vec[28] = 2;
            vec[29] = 10;
            vec[30] = 1;
            m_pSocket->Inject(vec, FormatIpHost(m_mapIp[szMac]), 65533);
        } else if (wCode == NODECMD_SET_PARAM && dg.vecData.size() == NODELEN_SET_PARAM) {
            std::vector<uint8_t> vecBlock(dg.vecData.begin() + NODEOFS_PAYLOAD, dg.vecData.end());
            m_pNodes->SetParamBlock(szMac, vecBlock);
            uint32_t dwIp = 0;
            std::memcpy(&dwIp, vecBlock.data() + offsetof(NODEPARAM, dwOwnIp), 4);
            m_mapIp[szMac] = ntohl(dwIp);
        }
        if (m_nStopAt > 0 && wCode == NODECMD_SET_PARAM && --m_nStopAt == 0) {
            m_stop.Request(SIGINT);
        }
    }

    int Commission() {
        m_nLogFrom = m_pNodes->RequestLog().size();
        return RunNext({"commission", m_dir.File("plant.csv")});
    }
    // Requests of the last run that change a node.
    std::vector<std::string> Changes() const {
        std::vector<std::string> vec;
        std::vector<std::string> vecLog = m_pNodes->RequestLog();
        for (size_t i = m_nLogFrom; i < vecLog.size(); ++i) {
            if (vecLog[i].rfind("0101", 0) != 0 && vecLog[i].rfind("0103", 0) != 0 &&
                vecLog[i].rfind("0108", 0) != 0) {
                vec.push_back(vecLog[i]);
            }
        }
        return vec;
    }
    std::string Outcomes() const {
        std::string str;
        for (size_t i = 0; i < m_result.vecRows.size(); ++i) {
            str += m_result.vecRows[i][1] + " " + m_result.vecRows[i][3] + " [" +
                   m_result.vecRows[i][4] + "] " + m_result.vecRows[i][5] + "\n";
        }
        return str;
    }

    std::map<std::string, uint32_t> m_mapIp;
    size_t m_nLogFrom = 0;
    int m_nStopAt = 0;
};
} // namespace

TEST_F(CtlCommission, RegistersAddressesAndVerifiesThenASecondRunChangesNothing) {
    EXPECT_EQ(Commission(), 0) << ::testing::PrintToString(Texts());
    EXPECT_EQ(Outcomes(), MAC_A + " ok [registered,settings] \n" + MAC_B +
                              " ok [registered,settings] \n" + MAC_C +
                              " ok [registered,settings] \n");
    EXPECT_EQ(Changes(),
              (std::vector<std::string>{"0104 " + MAC_A, "0104 " + MAC_B, "0104 " + MAC_C}));
    EXPECT_EQ(m_mapIp[MAC_B], NET | 12);
    const std::vector<COXParam>& vecNodes = m_pDoc->m_pCurNet->m_arrNodes;
    ASSERT_EQ(vecNodes.size(), 3u);
    EXPECT_EQ(vecNodes[1].m_strSerial, "SN-B");
    EXPECT_EQ(vecNodes[1].m_strRemarks, "panel 2");
    EXPECT_EQ(vecNodes[1].m_dwIp, NET | 12);

    // Done already: read, compared, left alone.
    EXPECT_EQ(Commission(), 0) << ::testing::PrintToString(Texts());
    EXPECT_EQ(Outcomes(), MAC_A + " ok [] \n" + MAC_B + " ok [] \n" + MAC_C + " ok [] \n");
    EXPECT_EQ(Changes(), std::vector<std::string>{});

    // A remark changed in the manifest is a registry edit, nothing on the wire.
    CScratchDir::Write(m_dir.File("plant.csv"),
                       "mac,ip,remarks\r\n" + MAC_A + ",198.51.100.11,panel 9\r\n");
    EXPECT_EQ(Commission(), 0);
    EXPECT_EQ(Outcomes(), MAC_A + " ok [remarks] \n");
    EXPECT_EQ(Changes(), std::vector<std::string>{});
}

TEST_F(CtlCommission, ASilentNodeIsReportedAndTheOthersAreDone) {
    m_mapIp.erase(MAC_C);
    m_pNodes->SetResult(MAC_C, CNodeResponder::SILENT);
    EXPECT_EQ(Commission(), 3);
    EXPECT_EQ(Outcomes(), MAC_A + " ok [registered,settings] \n" + MAC_B +
                              " ok [registered,settings] \n" + MAC_C +
                              " failed [registered] no reply\n");
    EXPECT_NE(std::find(Texts().begin(), Texts().end(),
                        "node " + MAC_C + " (line 4) did not answer the search"),
              Texts().end());
}

TEST_F(CtlCommission, AStopEndsTheRunAfterTheNodeInHandAndTheRecordSaysSo) {
    m_nStopAt = 1;
    Commission();
    EXPECT_EQ(Changes(), std::vector<std::string>{"0104 " + MAC_A});
    EXPECT_EQ(Outcomes(), MAC_A + " not done [registered,settings] not done: stopped before\n" +
                              MAC_B + " not done [registered] not done: stopped before\n" + MAC_C +
                              " not done [registered] not done: stopped before\n");
    EXPECT_EQ(m_result.vecNotDone, (std::vector<std::string>{MAC_A, MAC_B, MAC_C}));
    // What the node took is in the registry.
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes[0].m_dwIp, NET | 11);
}

TEST_F(CtlCommission, TheRecordGoesIntoANewCsvFileOnly) {
    const std::string strReport = m_dir.File("as-built.csv");
    CScratchDir::Write(strReport, "old");
    EXPECT_EQ(RunNext({"commission", m_dir.File("plant.csv"), "--report", strReport}), 2);
    EXPECT_EQ(Changes(), std::vector<std::string>{});
    EXPECT_EQ(CScratchDir::Read(strReport), "old");
    EXPECT_EQ(RunNext({"commission", m_dir.File("plant.csv"), "--report", strReport, "--force"}),
              0);
    std::string strCsv = CScratchDir::Read(strReport);
    EXPECT_EQ(strCsv.substr(0, strCsv.find("\r\n")),
              "line,mac,ip,serial,remarks,params,image,found_ip,found_mode,changed,own_ip,kernel,"
              "boot,apps,outcome,detail,time");
    EXPECT_NE(
        strCsv.find("\r\n3," + MAC_B + ",198.51.100.12,SN-B,panel 2,line.ini,,192.168.200.254,"),
        std::string::npos)
        << strCsv;
    EXPECT_NE(strCsv.find(",registered;settings,198.51.100.12,2.10,1.00,,ok,,20"),
              std::string::npos)
        << strCsv;
}
