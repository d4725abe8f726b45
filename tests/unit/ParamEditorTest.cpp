#include "params/ParamEditor.h"
#include "SampleParam.h"
#include "ScriptedUi.h"
#include "params/ParamControls.h"
#include "params/ParamFields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes RecordBytes(const NODEPARAM& param) {
    const auto* p = reinterpret_cast<const uint8_t*>(&param);
    return Bytes(p, p + sizeof param);
}
Bytes Slice(const Bytes& bytes, size_t nOffset, size_t nSize) {
    return Bytes(bytes.begin() + long(nOffset), bytes.begin() + long(nOffset + nSize));
}

// The node settings dialog in set mode over the sample defaults, for the
// node 192.168.10.51 of a network 255.255.0.0 behind 192.168.0.1.
class ParamEditorSet : public ::testing::Test {
protected:
    ParamEditorSet() : m_defParam(SampleParam()), m_dlg(m_defParam) {
        m_dlg.SetPcAddressFn([](uint32_t) { return std::vector<uint32_t>(); });
        m_dlg.FillForIndividualSetting(0xC0A80A33u, 0xFFFF0000u, 0xC0A80001u);
    }

    CScriptedUi m_ui;
    NODEPARAM m_defParam;
    CParamEditor m_dlg;
};
} // namespace

TEST_F(ParamEditorSet, IndividualSettingShowsTheDefaultsWithTheNodesAddressAndTheNetwork) {
    EXPECT_EQ(m_dlg.GetTitle(), "MRV-620ｼﾘｰｽﾞの個別設定");
    EXPECT_EQ(m_dlg.GetCaption(IDC_PED_SEND), "送信");
    EXPECT_EQ(m_dlg.GetCaption(DIALOG_CANCEL), "ｷｬﾝｾﾙ");
    EXPECT_FALSE(m_dlg.IsVisible(IDC_PED_MODE_LABEL));
    EXPECT_FALSE(m_dlg.IsVisible(IDC_PED_MODE));
    EXPECT_EQ(m_dlg.m_nMode, PARAMEDIT_SET);
    EXPECT_EQ(m_dlg.m_nModeSwitch, 10);
    EXPECT_EQ(m_dlg.GetInt(IDC_PED_OUTSIDE_NET), 0);
    EXPECT_EQ(m_dlg.GetText(IDC_PED_OWN_IP), "192.168.10.51");
    EXPECT_EQ(m_dlg.GetText(IDC_PED_SUBNET_MASK), "255.255.0.0");
    EXPECT_EQ(m_dlg.GetText(IDC_PED_GATEWAY), "192.168.0.1");
    EXPECT_EQ(m_dlg.GetText(IDC_PED_DEST_IP), "10.0.0.1");
    EXPECT_EQ(m_dlg.GetText(IDC_PED_RECORD_TERM), "0D0A");
    EXPECT_EQ(m_dlg.GetInt(IDC_PED_BAUD_RATE), 13);

    // Sent unchanged: the node's address, the network's mask and gateway, all
    // else the defaults, byte for byte.
    EXPECT_EQ(Press(m_dlg, m_ui, IDC_PED_SEND), DIALOG_OK);
    Bytes sent = RecordBytes(m_dlg.ReadBack());
    Bytes expected = RecordBytes(m_defParam);
    std::copy_n(Bytes{0x33, 0x0A, 0xA8, 0xC0}.begin(), 4, expected.begin());      // own IP
    std::copy_n(Bytes{0x01, 0x00, 0xA8, 0xC0}.begin(), 4, expected.begin() + 12); // gateway
    std::copy_n(Bytes{0x00, 0x00, 0xFF, 0xFF}.begin(), 4, expected.begin() + 16); // mask
    EXPECT_EQ(sent, expected);
}

TEST_F(ParamEditorSet, ReservedBytesOfTheSentRecordComeFromTheDefaults) {
    NODEPARAM defParam = SampleParam();
    std::memset(defParam.abReserved1, 0x11, sizeof defParam.abReserved1);
    defParam.byChecksum = 0x22;
    defParam.byReserved2 = 0x33;
    CParamEditor dlg(defParam);
    dlg.SetPcAddressFn([](uint32_t) { return std::vector<uint32_t>(); });
    // A node's record with reserved bytes of its own.
    NODEPARAM received = SampleParam();
    std::memset(received.abReserved1, 0xEE, sizeof received.abReserved1);
    received.byChecksum = 0xEE;
    received.byReserved2 = 0xEE;
    dlg.Fill(received);
    dlg.SetMode(PARAMEDIT_GET, "ﾓｰﾄﾞ7", 0);
    EXPECT_EQ(Press(dlg, m_ui, IDC_PED_SEND), DIALOG_OK);
    Bytes sent = RecordBytes(dlg.ReadBack());
    EXPECT_EQ(Slice(sent, 341, 12), Bytes(12, 0x11));
    EXPECT_EQ(Slice(sent, 715, 2), (Bytes{0x22, 0x33}));
}

TEST_F(ParamEditorSet, MtuFrom512To1500IsAcceptedHere) {
    for (const char* pszMtu : {"512", "513", "1500"}) {
        Type(m_dlg, m_ui, IDC_PED_MTU, pszMtu);
        EXPECT_EQ(Press(m_dlg, m_ui, IDC_PED_SEND), DIALOG_OK) << pszMtu;
        EXPECT_EQ(uint16_t{m_dlg.ReadBack().wMtu}, std::stoi(pszMtu));
    }
    for (const char* pszMtu : {"511", "1501"}) {
        Type(m_dlg, m_ui, IDC_PED_MTU, pszMtu);
        PressExpectingMessage(m_dlg, m_ui, IDC_PED_SEND, "MTU値が異常です(512-1500)", IDC_PED_MTU);
    }
}

TEST_F(ParamEditorSet, EnterNeitherSendsNorClosesOnlySendDoes) {
    SDialogAction action = m_dlg.OnCommand(m_ui, DIALOG_OK);
    EXPECT_EQ(action.eKind, SDialogAction::Stay);
    EXPECT_TRUE(action.strMessage.empty());
    // Not even the checks run: a bad value shows nothing on Enter.
    Type(m_dlg, m_ui, IDC_PED_OWN_IP, "0.0.0.0");
    action = m_dlg.OnCommand(m_ui, DIALOG_OK);
    EXPECT_EQ(action.eKind, SDialogAction::Stay);
    EXPECT_TRUE(action.strMessage.empty());
    PressExpectingMessage(m_dlg, m_ui, IDC_PED_SEND, "自IPｱﾄﾞﾚｽの値が異常です", IDC_PED_OWN_IP);
    Type(m_dlg, m_ui, IDC_PED_OWN_IP, "192.168.10.52");
    EXPECT_EQ(Press(m_dlg, m_ui, IDC_PED_SEND), DIALOG_OK);
}

TEST_F(ParamEditorSet, CancelReadsBackInGetModeAndCancelInSetMode) {
    CParamEditor dlg(m_defParam);
    dlg.Fill(SampleParam());
    dlg.SetMode(PARAMEDIT_GET, "ﾓｰﾄﾞ7", 0);
    EXPECT_EQ(dlg.GetTitle(), "MRV-620ｼﾘｰｽﾞの設定取得");
    EXPECT_EQ(dlg.GetCaption(DIALOG_CANCEL), "戻る");
    EXPECT_TRUE(dlg.IsVisible(IDC_PED_MODE));
    EXPECT_TRUE(dlg.IsVisible(IDC_PED_MODE_LABEL));
    // Switch 10 hides the mode in get mode as well.
    dlg.SetMode(PARAMEDIT_GET, "", PARAMEDIT_NO_MODE);
    EXPECT_FALSE(dlg.IsVisible(IDC_PED_MODE));
    EXPECT_EQ(Press(dlg, m_ui, DIALOG_CANCEL), DIALOG_CANCEL);
}

TEST_F(ParamEditorSet, TerminatorsAndListsOutsideTheirRange) {
    NODEPARAM received = SampleParam();
    received.byFileTermLen = 0;
    received.abFileTerm[0] = 0x1A;
    received.byFlowControl = 9;
    CParamEditor dlg(m_defParam);
    dlg.SetPcAddressFn([](uint32_t) { return std::vector<uint32_t>(); });
    dlg.Fill(received);
    EXPECT_EQ(dlg.GetText(IDC_PED_FILE_TERM), "");
    EXPECT_EQ(dlg.GetInt(IDC_PED_FLOW_CONTROL), -1);
    Type(dlg, m_ui, IDC_PED_RECORD_TERM, "0d0G");
    EXPECT_EQ(dlg.GetText(IDC_PED_RECORD_TERM), "0D0");
    EXPECT_EQ(Press(dlg, m_ui, IDC_PED_SEND), DIALOG_OK);
    Bytes sent = RecordBytes(dlg.ReadBack());
    // Sent back with count 0, and the bytes behind a count as the node gave them.
    EXPECT_EQ(Slice(sent, 55, 3), (Bytes{0x00, 0x1A, 0x00}));
    EXPECT_EQ(Slice(sent, 334, 3), (Bytes{0x01, 0x0D, 0x0A})); // three digits: one byte
    EXPECT_EQ(sent[333], 0xFF);                                // no selection
}

// ------------------------------------------------------------ sub-dialogs

TEST_F(ParamEditorSet, SubDialogsWorkOnTheDialogsOwnValues) {
    NODEPARAM defBefore = m_defParam;
    m_ui.ExpectDialog("CStartProgramDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(1050), "prog0");
        EXPECT_EQ(dlg.GetText(1066), "prog15");
        Type(dlg, ui, 1059, "ninth");
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectDialog("CGeneralItemsDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(1147), "item;0");
        EXPECT_EQ(dlg.GetText(1155), "");
        Type(dlg, ui, 1148, "second");
        return Press(dlg, ui, DIALOG_OK);
    });
    m_ui.ExpectDialog("CSnmpDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(IDC_SNMP_TRAP_IP), "10.0.0.1");
        EXPECT_EQ(dlg.GetInt(IDC_SNMP_ENABLE), 1);
        Type(dlg, ui, IDC_SNMP_SET_COMMUNITY, "");
        PressExpectingMessage(dlg, ui, DIALOG_OK, "SET用コミュニティ名が異常です",
                              IDC_SNMP_SET_COMMUNITY);
        Type(dlg, ui, IDC_SNMP_SET_COMMUNITY, "newset");
        Type(dlg, ui, IDC_SNMP_TRAP_IP, "172.16.0.9");
        Select(dlg, ui, IDC_SNMP_AUTH_TRAP, 0);
        return Press(dlg, ui, DIALOG_OK);
    });
    // A cancelled sub-dialog keeps what the dialog had.
    m_ui.ExpectDialog("CSnmpDlg", [](CDialogModel& dlg, CUi& ui) {
        EXPECT_EQ(dlg.GetText(IDC_SNMP_SET_COMMUNITY), "newset");
        Type(dlg, ui, IDC_SNMP_GET_COMMUNITY, "dropped");
        return Press(dlg, ui, DIALOG_CANCEL);
    });
    Click(m_dlg, m_ui, IDC_PED_START_PROGRAMS);
    Click(m_dlg, m_ui, IDC_PED_GENERAL_ITEMS);
    Click(m_dlg, m_ui, IDC_PED_SNMP);
    Click(m_dlg, m_ui, IDC_PED_SNMP);

    // Nothing reached the defaults.
    EXPECT_EQ(RecordBytes(m_defParam), RecordBytes(defBefore));
    EXPECT_EQ(Press(m_dlg, m_ui, IDC_PED_SEND), DIALOG_OK);
    NODEPARAM sent = m_dlg.ReadBack();
    EXPECT_EQ(Slice(RecordBytes(sent), 353 + 8 * 13, 13),
              (Bytes{'n', 'i', 'n', 't', 'h', 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(GetTextField(sent.szStartProgram[7]), "prog7");
    EXPECT_EQ(GetTextField(sent.szGeneralItem[1]), "second");
    EXPECT_EQ(GetTextField(sent.szSetCommunity), "newset");
    EXPECT_EQ(GetTextField(sent.szGetCommunity), "get");
    EXPECT_EQ(Slice(RecordBytes(sent), 64, 6), (Bytes{0x01, 0x00, 172, 16, 0, 9}));
}

TEST_F(ParamEditorSet, CancelDiscardsWhatTheSubDialogsChanged) {
    m_ui.ExpectDialog("CSnmpDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_SNMP_GET_COMMUNITY, "changed");
        return Press(dlg, ui, DIALOG_OK);
    });
    Click(m_dlg, m_ui, IDC_PED_SNMP);
    EXPECT_EQ(Press(m_dlg, m_ui, DIALOG_CANCEL), DIALOG_CANCEL);
    EXPECT_EQ(GetTextField(m_defParam.szGetCommunity), "get");
    // The next dialog over the same defaults starts from them again.
    CParamEditor next(m_defParam);
    next.FillForIndividualSetting(0xC0A80A33u, 0xFFFF0000u, 0xC0A80001u);
    EXPECT_EQ(GetTextField(next.ReadBack().szGetCommunity), "get");
}
