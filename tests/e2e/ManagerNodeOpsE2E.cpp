// The manager's node commands against simulated nodes on a test network:
// automatic assignment, get/change/send, mode change and initialisation of a
// model, checked in the registry and in the nodes themselves (through the
// simulator's control channel).
#include "AutoAssignWorld.h"
#include "LiteralAutoAssign.h"
#include "RawNodeClient.h"
#include "ScriptedUi.h"
#include "ShortPauseClock.h"
#include "SimState.h"
#include "doc/OrvixDoc.h"
#include "ops/AutoAssign.h"
#include "ops/AutoSetDlg.h"
#include "ops/NodeCommandDlgs.h"
#include "ops/NodeCommands.h"
#include "ops/NodeSearch.h"
#include "params/ParamControls.h"
#include "params/ParamFile.h"
#include "platform/IpText.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace {
const std::vector<std::string> ADDRESSED = {"0080D4300001", "0080D4300002", "0080D4300003",
                                            "0080D4300004"};
constexpr uint32_t PC_IP = 0xC0A8010Eu; // 192.168.1.14, as the test makes the PC's address

class ManagerNodeOps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_TRUE(m_control.IsOpen());
        const char* pszDir = std::getenv("MRVT_DIR");
        m_paramFile.m_strPath = std::string(pszDir ? pszDir : "/tmp") + "/DefParam-none.ini";
        m_paramFile.LoadParams(); // no file: the built-in defaults
        m_settings.m_nTimeout = 2000;
        m_settings.m_nTimeoutInitial = 1500;
        m_settings.m_nTimeoutAutoSet = 2000;
        m_settings.m_nTimeoutSearch = 1000;
        m_pDoc = std::make_unique<COrvixDoc>(
            SDocEnv{m_ui, m_pump, m_clock, m_settings, m_paramFile.m_param, ""},
            std::make_unique<CPosixDatagramSocket>());
        m_pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
    }
    int RowOf(const std::string& strMac) const {
        const auto& vec = m_pDoc->m_pCurNet->m_arrNodes;
        for (size_t i = 0; i < vec.size(); ++i) {
            if (vec[i].m_strMac == strMac) {
                return int(i);
            }
        }
        return -1;
    }

    CScriptedUi m_ui;
    // The search's probe pacing is a fixed pause; waits for replies stay whole.
    CShortPauseClock m_clock{10};
    CPollMessagePump m_pump;
    SAppSettings m_settings;
    CParamFile m_paramFile;
    CSimControlClient m_control;
    std::unique_ptr<COrvixDoc> m_pDoc;
};
} // namespace

TEST_F(ManagerNodeOps, AutomaticAssignmentGivesTenFreshNodesThePredictedAddresses) {
    SearchNodes(*m_pDoc);
    ASSERT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 14u);

    // The step-by-step run over a copy of the rows, every node answering.
    SAutoAssignCase expected;
    expected.plan.dwBaseIp = 0xC0A8010Au;
    expected.plan.dwMask = 0xFFFFFF00u;
    expected.plan.dwIncrement = 1;
    expected.plan.vecPcIps = {PC_IP};
    expected.plan.bDestKnown = true;
    expected.plan.dwDestIp = m_paramFile.m_param.dwDestIp;
    expected.vecRows = m_pDoc->m_pCurNet->m_arrNodes;
    CModelAssignSite model(expected);
    ASSERT_EQ(RunAutoAssignmentLiterally(expected.plan, model), EAutoAssignEnd::Done);

    m_ui.ExpectDialog("CAutoSetDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_AUTO_BASE_IP, "192.168.1.10");
        return Press(dlg, ui, DIALOG_OK);
    });
    AutoAssignAddresses(*m_pDoc, m_paramFile.m_param,
                        [](uint32_t) { return std::vector<uint32_t>{PC_IP}; });
    EXPECT_TRUE(m_ui.m_vecMessages.empty());

    std::set<std::string> setGiven;
    const auto& vecRows = m_pDoc->m_pCurNet->m_arrNodes;
    ASSERT_EQ(vecRows.size(), model.Rows().size());
    for (size_t i = 0; i < vecRows.size(); ++i) {
        const COXParam& node = vecRows[i];
        EXPECT_EQ(FormatIpHost(node.m_dwIp), FormatIpHost(model.Rows()[i].m_dwIp)) << node.m_strMac;
        std::map<std::string, std::string> state = NodeState(m_control, node.m_strMac);
        EXPECT_EQ(state["ip"], FormatIpHost(node.m_dwIp)) << node.m_strMac;
        if (std::find(ADDRESSED.begin(), ADDRESSED.end(), node.m_strMac) == ADDRESSED.end()) {
            setGiven.insert(state["ip"]);
            // The defaults went with it, with the network's gateway.
            EXPECT_EQ(ParamFields(state["param"])["dwGateway"], "192.168.1.1") << node.m_strMac;
        }
    }
    // .10, .12, .13 and .15 are taken and .14 is the PC's.
    EXPECT_EQ(setGiven,
              (std::set<std::string>{"192.168.1.11", "192.168.1.16", "192.168.1.17", "192.168.1.18",
                                     "192.168.1.19", "192.168.1.20", "192.168.1.21", "192.168.1.22",
                                     "192.168.1.23", "192.168.1.24"}));
}

TEST_F(ManagerNodeOps, SettingsGotChangedAndSentChangeThatFieldAndNothingElse) {
    m_pDoc->AddOrUpdateNode(0, 0xC0A8010Au, "0080D4300001", true, "", "");
    std::map<std::string, std::string> before =
        ParamFields(NodeState(m_control, "0080D4300001")["param"]);
    ASSERT_EQ(before["dwOwnIp"], "192.168.1.10");
    ASSERT_EQ(before.count("wMtu"), 0u); // the factory's 1500

    m_ui.ExpectDialog("CGetParamDlg", [](CDialogModel& dlg, CUi& ui) {
        Tick(dlg, ui, IDC_NODECMD_OUTSIDE_NET, true);
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectDialog("CParamEditor", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(IDC_PED_MTU), "1500");
        Type(dlg, ui, IDC_PED_MTU, "1200");
        return Press(dlg, ui, IDC_PED_SEND);
    });
    GetNodeSettings(*m_pDoc, 0);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());

    std::map<std::string, std::string> after =
        ParamFields(NodeState(m_control, "0080D4300001")["param"]);
    std::map<std::string, std::string> expected = before;
    expected["wMtu"] = "1200";
    EXPECT_EQ(after, expected);
}

TEST_F(ManagerNodeOps, AModeChangeToSevenReachesTheNode) {
    m_pDoc->AddOrUpdateNode(0, 0xC0A8010Cu, "0080D4300002", true, "", "");
    m_ui.ExpectDialog("CModeChangeDlg", [](CDialogModel& dlg, CUi& ui) {
        Select(dlg, ui, IDC_MODE_GROUP, 4); // "ｾｯﾄｱｯﾌﾟ"
        return Press(dlg, ui, DIALOG_OK);
    });
    ChangeNodeMode(*m_pDoc, 0);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(NodeState(m_control, "0080D4300002")["mode"], "7");
    EXPECT_EQ(NodeState(m_control, "0080D4300001")["mode"], "0");
}

TEST_F(ManagerNodeOps, InitialisingAModelEndsAtASilentNodeAndLeavesTheRestUntouched) {
    for (const std::string& strMac : ADDRESSED) {
        std::string strIp = NodeState(m_control, strMac)["ip"];
        m_pDoc->AddOrUpdateNode(0, ParseIpHost(strIp), strMac, true, "", "");
    }
    ASSERT_NE(m_control.Request("FAULT 0080D4300003 silent on").find("OK"), std::string::npos);
    std::map<std::string, std::string> lastBefore = NodeState(m_control, "0080D4300004");

    m_ui.ExpectDialog("CInitModelDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    m_ui.ExpectDialog("CInitErrorDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(IDC_NOREPLY_MAC), "0080D4300003");
        return Press(dlg, ui, IDC_NOREPLY_END);
    });
    InitializeModel(*m_pDoc);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());

    EXPECT_EQ(NodeState(m_control, "0080D4300001")["ip"], "192.168.200.254");
    EXPECT_EQ(NodeState(m_control, "0080D4300002")["ip"], "192.168.200.254");
    EXPECT_EQ(NodeState(m_control, "0080D4300003")["ip"], "192.168.1.13");
    std::map<std::string, std::string> lastAfter = NodeState(m_control, "0080D4300004");
    EXPECT_EQ(lastAfter["ip"], "192.168.1.15");
    EXPECT_EQ(lastAfter["param"], lastBefore["param"]);
    // The node after the silent one was never asked.
    EXPECT_EQ(m_control.Request("HISTORY 0080D4300004"), "OK\n");
    EXPECT_EQ(FormatIpHost(m_pDoc->m_pCurNet->m_arrNodes[0].m_dwIp), "192.168.200.254");
    EXPECT_EQ(FormatIpHost(m_pDoc->m_pCurNet->m_arrNodes[1].m_dwIp), "192.168.200.254");
    EXPECT_EQ(FormatIpHost(m_pDoc->m_pCurNet->m_arrNodes[2].m_dwIp), "192.168.1.13");
    EXPECT_EQ(FormatIpHost(m_pDoc->m_pCurNet->m_arrNodes[3].m_dwIp), "192.168.1.15");
}

// The PC's own address as the system reports it, nothing injected: the test
// network gives the PC one interface (MRVT_PC_IP on the veth to the nodes).
TEST_F(ManagerNodeOps, AutomaticAssignmentSkipsThePcsOwnInterfaceAddress) {
    const char* pszPc = std::getenv("MRVT_PC_IP");
    ASSERT_NE(pszPc, nullptr);
    const uint32_t dwPc = ParseIpHost(pszPc);
    m_pDoc->AddNetwork("PC-LAN", 0xFFFFFF00u, (dwPc & 0xFFFFFF00u) | 0xFEu);
    SearchNodes(*m_pDoc);
    ASSERT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 14u);
    m_ui.ExpectDialog("CAutoSetDlg", [pszPc](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_AUTO_BASE_IP, pszPc);
        return Press(dlg, ui, DIALOG_OK);
    });
    AutoAssignAddresses(*m_pDoc, m_paramFile.m_param);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    std::set<std::string> setGiven;
    for (const COXParam& node : m_pDoc->m_pCurNet->m_arrNodes) {
        if (std::find(ADDRESSED.begin(), ADDRESSED.end(), node.m_strMac) == ADDRESSED.end()) {
            setGiven.insert(NodeState(m_control, node.m_strMac)["ip"]);
        }
    }
    // From the PC's own address on: it is skipped, and so are the host parts
    // of the four nodes with an address (.10, .12, .13, .15).
    std::set<std::string> setExpected;
    for (uint32_t dwHost : {2, 3, 4, 5, 6, 7, 8, 9, 11, 14}) {
        setExpected.insert(FormatIpHost((dwPc & 0xFFFFFF00u) | dwHost));
    }
    EXPECT_EQ(setGiven, setExpected) << "the PC is " << pszPc;
}

TEST_F(ManagerNodeOps, TheNodeSettingsDialogRefusesThePcsOwnInterfaceAddressAsOwnIp) {
    const char* pszPc = std::getenv("MRVT_PC_IP");
    ASSERT_NE(pszPc, nullptr);
    m_pDoc->AddOrUpdateNode(0, NODE_UNSET_IP, "0080D4300011", true, "", "");
    m_ui.ExpectDialog("CParamEditor", [pszPc](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_PED_OWN_IP, pszPc);
        PressExpectingMessage(dlg, ui, IDC_PED_SEND, "自IPｱﾄﾞﾚｽがPCのIPｱﾄﾞﾚｽと重複しています",
                              IDC_PED_OWN_IP);
        Type(dlg, ui, IDC_PED_OWN_IP, "192.168.1.40");
        return Press(dlg, ui, IDC_PED_SEND);
    });
    SetNodeIndividually(*m_pDoc, m_paramFile.m_param, 0);
    EXPECT_TRUE(m_ui.m_vecMessages.empty());
    EXPECT_EQ(NodeState(m_control, "0080D4300011")["ip"], "192.168.1.40");
}
