#include "ScriptedUi.h"
#include "ops/NetworkDlg.h"
#include "ops/NodeDlg.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testing::ElementsAre;

namespace {
constexpr uint32_t MASK_24 = 0xFFFFFF00u;
constexpr uint32_t GATEWAY_2222 = 0x02020202u;

std::vector<std::unique_ptr<CNetProperty>> Networks(std::initializer_list<const char*> names) {
    std::vector<std::unique_ptr<CNetProperty>> vec;
    for (const char* psz : names) {
        vec.push_back(std::make_unique<CNetProperty>());
        vec.back()->m_strName = psz;
    }
    return vec;
}

COXParam Node(const std::string& strMac, uint32_t dwIp, const std::string& strSerial = "",
              const std::string& strRemarks = "") {
    COXParam node;
    node.m_strMac = strMac;
    node.m_dwIp = dwIp;
    node.m_strSerial = strSerial;
    node.m_strRemarks = strRemarks;
    return node;
}

COXParam NewNodeDefaults() {
    return Node("", 0xC0A8C8FEu);
}

void ExpectControl(const CDialogModel& dlg, int nId, ECtl eKind, size_t nLimit, bool bVisible,
                   bool bEnabled) {
    const SControl* pControl = dlg.FindControl(nId);
    ASSERT_NE(pControl, nullptr) << nId;
    EXPECT_EQ(pControl->eKind, eKind) << nId;
    EXPECT_EQ(pControl->nLimit, nLimit) << nId;
    EXPECT_EQ(dlg.IsVisible(nId), bVisible) << nId;
    EXPECT_EQ(dlg.IsEnabled(nId), bEnabled) << nId;
}

class NetworkDialog : public ::testing::Test {
protected:
    std::vector<std::unique_ptr<CNetProperty>> m_arrNets = Networks({"Lab", "Office"});
    CNetworkDlg m_dlg{NETDLG_MODE_NEW, "", MASK_24, GATEWAY_2222, m_arrNets};
    CScriptedUi m_ui;

    void TypeAll(const std::string& strName, const std::string& strMask,
                 const std::string& strGateway) {
        Type(m_dlg, m_ui, IDC_NET_NAME, strName);
        Type(m_dlg, m_ui, IDC_NET_MASK, strMask);
        Type(m_dlg, m_ui, IDC_NET_GATEWAY, strGateway);
    }
};

class NodeDialog : public ::testing::Test {
protected:
    std::vector<COXParam> m_arrNodes = {Node("0080C8AABBCC", 0x0A000003u),
                                        Node("0080C8000010", 0xC0A8C8FEu)};
    CNodeDlg m_dlg{NODEDLG_MODE_NEW, "Lab", NewNodeDefaults(), m_arrNodes};
    CScriptedUi m_ui;

    void TypeMacAndIp(const std::string& strMac, const std::string& strIp) {
        Type(m_dlg, m_ui, IDC_NODE_MAC, strMac);
        Type(m_dlg, m_ui, IDC_NODE_IP, strIp);
    }
};
} // namespace

// ---------------------------------------------------------------- network dialog

TEST_F(NetworkDialog, NewModeTitleControlsAndDefaults) {
    EXPECT_STREQ(m_dlg.GetDialogName(), "CNetworkDlg");
    EXPECT_EQ(m_dlg.GetTitle(), "ﾈｯﾄﾜｰｸの新規登録");
    ExpectControl(m_dlg, IDC_NET_NAME, ECtl::Edit, 0, true, true);
    ExpectControl(m_dlg, IDC_NET_MASK, ECtl::Edit, 15, true, true);
    ExpectControl(m_dlg, IDC_NET_GATEWAY, ECtl::Edit, 15, true, true);
    // On the layout, hidden with their labels.
    ExpectControl(m_dlg, IDC_NET_BASE_IP, ECtl::Edit, 15, false, true);
    ExpectControl(m_dlg, IDC_NET_INCREMENT, ECtl::Edit, 0, false, true);
    ExpectControl(m_dlg, IDC_NET_BASE_IP_LABEL, ECtl::Label, 0, false, true);
    ExpectControl(m_dlg, IDC_NET_INCREMENT_LABEL, ECtl::Label, 0, false, true);
    EXPECT_EQ(m_dlg.GetCaption(IDC_NET_BASE_IP_LABEL), "ﾍﾞｰｽIPｱﾄﾞﾚｽ");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NET_INCREMENT_LABEL), "IPｱﾄﾞﾚｽ増分");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NET_NAME_LABEL), "ﾈｯﾄﾜｰｸ名");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NET_MASK_LABEL), "ｻﾌﾞﾈｯﾄﾏｽｸ");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NET_GATEWAY_LABEL), "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽ");
    EXPECT_EQ(m_dlg.GetCaption(DIALOG_OK), "OK");
    EXPECT_EQ(m_dlg.GetCaption(DIALOG_CANCEL), "ｷｬﾝｾﾙ");

    EXPECT_EQ(m_dlg.GetText(IDC_NET_NAME), "");
    EXPECT_EQ(m_dlg.GetText(IDC_NET_MASK), "255.255.255.0");
    EXPECT_EQ(m_dlg.GetText(IDC_NET_GATEWAY), "2.2.2.2");
    // The name takes any length; the addresses 15 characters.
    Type(m_dlg, m_ui, IDC_NET_NAME, std::string(300, 'n'));
    EXPECT_EQ(m_dlg.GetText(IDC_NET_NAME).size(), 300u);
    Type(m_dlg, m_ui, IDC_NET_MASK, "255.255.255.0000");
    EXPECT_EQ(m_dlg.GetText(IDC_NET_MASK), "255.255.255.000");
}

TEST_F(NetworkDialog, EmptyNameIsRefusedFirstAndTheFocusStays) {
    TypeAll("", "0.0.0.0", "0.0.0.0");
    PressExpectingMessage(m_dlg, m_ui, DIALOG_OK, "ﾈｯﾄﾜｰｸ名を設定してください", 0);
}

TEST_F(NetworkDialog, BadMaskGoesToTheMaskField) {
    for (const char* psz : {"0.255.255.255", "255.255.255.255", "mask", ""}) {
        TypeAll("New", psz, "0.0.0.0");
        PressExpectingMessage(m_dlg, m_ui, DIALOG_OK, "ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です", IDC_NET_MASK);
        // Everything typed stays.
        EXPECT_EQ(m_dlg.GetText(IDC_NET_MASK), psz);
        EXPECT_EQ(m_dlg.GetText(IDC_NET_NAME), "New");
    }
}

TEST_F(NetworkDialog, BadGatewayGoesToTheGatewayField) {
    for (const char* psz : {"192.168.1.0", "127.0.0.1", "0.1.2.3", "255.1.1.1", "gw"}) {
        TypeAll("New", "255.255.255.0", psz);
        PressExpectingMessage(m_dlg, m_ui, DIALOG_OK, "ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽの値が異常です",
                              IDC_NET_GATEWAY);
    }
}

TEST_F(NetworkDialog, DuplicateNameGoesToTheNameField) {
    TypeAll("Office", "255.255.255.0", "192.168.1.1");
    PressExpectingMessage(m_dlg, m_ui, DIALOG_OK, "ﾈｯﾄﾜｰｸ名が重複しています", IDC_NET_NAME);
}

TEST_F(NetworkDialog, PassingValuesCloseWithOkAndAreHandedBack) {
    // Names differ by case only: two networks.
    TypeAll("office", "255.0.255.0", "192.168.1.1");
    EXPECT_EQ(Press(m_dlg, m_ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(m_dlg.GetName(), "office");
    EXPECT_EQ(m_dlg.GetMask(), 0xFF00FF00u);
    EXPECT_EQ(m_dlg.GetGateway(), 0xC0A80101u);
}

TEST_F(NetworkDialog, CancelClosesWithoutTests) {
    TypeAll("", "x", "y");
    EXPECT_EQ(Press(m_dlg, m_ui, DIALOG_CANCEL), DIALOG_CANCEL);
}

TEST(NetworkDialogView, ShowsTheValuesDisabledAndOkTestsNothing) {
    auto arrNets = Networks({"Lab"});
    CScriptedUi ui;
    // Values the rules would refuse: a duplicate name, a bad mask and gateway.
    CNetworkDlg dlg(NETDLG_MODE_VIEW, "Lab", 0x00FFFFFFu, 0x7F000001u, arrNets);
    EXPECT_EQ(dlg.GetTitle(), "ﾈｯﾄﾜｰｸ設定の確認");
    EXPECT_EQ(dlg.GetText(IDC_NET_NAME), "Lab");
    EXPECT_EQ(dlg.GetText(IDC_NET_MASK), "0.255.255.255");
    EXPECT_EQ(dlg.GetText(IDC_NET_GATEWAY), "127.0.0.1");
    for (int nId : {IDC_NET_NAME, IDC_NET_MASK, IDC_NET_GATEWAY}) {
        EXPECT_FALSE(dlg.IsEnabled(nId)) << nId;
    }
    EXPECT_FALSE(dlg.IsVisible(IDC_NET_BASE_IP));
    EXPECT_EQ(Press(dlg, ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(dlg.GetName(), "Lab");
    EXPECT_EQ(dlg.GetMask(), 0x00FFFFFFu);
}

// ---------------------------------------------------------------- node dialog

TEST_F(NodeDialog, NewModeTitleControlsAndDefaults) {
    EXPECT_STREQ(m_dlg.GetDialogName(), "CNodeDlg");
    EXPECT_EQ(m_dlg.GetTitle(), "ﾉｰﾄﾞ新規登録");
    ExpectControl(m_dlg, IDC_NODE_NET_NAME, ECtl::Edit, 0, true, false);
    ExpectControl(m_dlg, IDC_NODE_MODEL, ECtl::DropList, 0, true, true);
    ExpectControl(m_dlg, IDC_NODE_SERIAL, ECtl::Edit, 0, true, true);
    ExpectControl(m_dlg, IDC_NODE_MAC, ECtl::UpperEdit, 12, true, true);
    ExpectControl(m_dlg, IDC_NODE_IP, ECtl::Edit, 15, true, true);
    ExpectControl(m_dlg, IDC_NODE_REMARKS, ECtl::Edit, 0, true, true);
    EXPECT_EQ(m_dlg.GetCaption(IDC_NODE_NET_NAME_LABEL), "ﾈｯﾄﾜｰｸ名");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NODE_MODEL_LABEL), "機種名");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NODE_SERIAL_LABEL), "ｼﾘｱﾙ番号");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NODE_MAC_LABEL), "MACｱﾄﾞﾚｽ");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NODE_IP_LABEL), "IPｱﾄﾞﾚｽ");
    EXPECT_EQ(m_dlg.GetCaption(IDC_NODE_REMARKS_LABEL), "備考");
    EXPECT_EQ(m_dlg.GetCaption(DIALOG_CANCEL), "ｷｬﾝｾﾙ");

    EXPECT_EQ(m_dlg.GetText(IDC_NODE_NET_NAME), "Lab");
    EXPECT_THAT(m_dlg.GetItems(IDC_NODE_MODEL), ElementsAre("MRV-620"));
    EXPECT_EQ(m_dlg.GetInt(IDC_NODE_MODEL), 0);
    EXPECT_EQ(m_dlg.GetText(IDC_NODE_IP), "192.168.200.254");
    EXPECT_EQ(m_dlg.GetText(IDC_NODE_MAC), "");
}

TEST_F(NodeDialog, ChoosingTheModelPutsTheUnsetAddressBack) {
    Type(m_dlg, m_ui, IDC_NODE_IP, "10.0.0.9");
    Select(m_dlg, m_ui, IDC_NODE_MODEL, 0);
    EXPECT_EQ(m_dlg.GetText(IDC_NODE_IP), "192.168.200.254");
}

TEST_F(NodeDialog, MacIsUpperCasedAndTakesTwelveCharacters) {
    Type(m_dlg, m_ui, IDC_NODE_MAC, "0080c8abcdef99");
    EXPECT_EQ(m_dlg.GetText(IDC_NODE_MAC), "0080C8ABCDEF");
    Type(m_dlg, m_ui, IDC_NODE_IP, "10.0.0.9");
    EXPECT_EQ(Press(m_dlg, m_ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(m_dlg.GetNode().m_strMac, "0080C8ABCDEF");
}

TEST_F(NodeDialog, MacOfAnotherLengthGoesToTheMacField) {
    for (const char* psz : {"", "0080C8", "0080C8AABBC"}) {
        TypeMacAndIp(psz, "0.0.0.0"); // the length is tested first
        PressExpectingMessage(m_dlg, m_ui, DIALOG_OK, "MACｱﾄﾞﾚｽは16進数12文字を入力してください",
                              IDC_NODE_MAC);
        EXPECT_EQ(m_dlg.GetText(IDC_NODE_MAC), psz);
    }
}

TEST_F(NodeDialog, BadIpGoesToTheIpField) {
    for (const char* psz : {"0.0.0.1", "127.0.0.1", "255.0.0.1", "255.255.255.255", "ip", ""}) {
        TypeMacAndIp("0080C8000099", psz);
        PressExpectingMessage(m_dlg, m_ui, DIALOG_OK, "IPｱﾄﾞﾚｽの値が異常です", IDC_NODE_IP);
        EXPECT_EQ(m_dlg.GetText(IDC_NODE_IP), psz);
    }
}

TEST_F(NodeDialog, MacInUseInAnyCaseGoesToTheMacField) {
    // Typed in lower case and shown upper case; the registered one may be either.
    m_arrNodes[0].m_strMac = "0080c8aabbcc";
    TypeMacAndIp("0080c8aabbcc", "10.0.0.9");
    PressExpectingMessage(m_dlg, m_ui, DIALOG_OK, "MACｱﾄﾞﾚｽは既に使用されています", IDC_NODE_MAC);
}

TEST_F(NodeDialog, IpInUseGoesToTheIpFieldButTheUnsetAddressIsShared) {
    TypeMacAndIp("0080C8000099", "10.0.0.3");
    PressExpectingMessage(m_dlg, m_ui, DIALOG_OK, "IPｱﾄﾞﾚｽは既に使用されています", IDC_NODE_IP);
    TypeMacAndIp("0080C8000099", "192.168.200.254");
    EXPECT_EQ(Press(m_dlg, m_ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(m_dlg.GetNode().m_dwIp, 0xC0A8C8FEu);
}

TEST_F(NodeDialog, PassingValuesAreHandedBack) {
    Type(m_dlg, m_ui, IDC_NODE_SERIAL, "SN-7");
    Type(m_dlg, m_ui, IDC_NODE_REMARKS, "\x94\xF5\x8D\x6C"); // CP932 as the view hands it over
    TypeMacAndIp("0080C8000099", "10.0.0.9");
    EXPECT_EQ(Press(m_dlg, m_ui, DIALOG_OK), DIALOG_OK);
    const COXParam& node = m_dlg.GetNode();
    EXPECT_EQ(node.m_nModel, 0);
    EXPECT_EQ(node.m_strSerial, "SN-7");
    EXPECT_EQ(node.m_strMac, "0080C8000099");
    EXPECT_EQ(node.m_dwIp, 0x0A000009u);
    EXPECT_EQ(node.m_strRemarks, "\x94\xF5\x8D\x6C");
}

TEST_F(NodeDialog, CancelClosesWithoutTests) {
    TypeMacAndIp("1", "x");
    EXPECT_EQ(Press(m_dlg, m_ui, DIALOG_CANCEL), DIALOG_CANCEL);
}

TEST(NodeDialogProperties, OnlyTheDetailsCanChangeAndOkTestsNothing) {
    // The node itself is in the list, so its MAC and IP would fail the new-node rules.
    std::vector<COXParam> arrNodes = {Node("0080C8AABBCC", 0x0A000003u, "SN", "old")};
    CScriptedUi ui;
    CNodeDlg dlg(NODEDLG_MODE_PROPERTIES, "Lab", arrNodes[0], arrNodes);
    EXPECT_EQ(dlg.GetTitle(), "ﾉｰﾄﾞのﾌﾟﾛﾊﾟﾃｨ");
    EXPECT_EQ(dlg.GetText(IDC_NODE_MAC), "0080C8AABBCC");
    EXPECT_EQ(dlg.GetText(IDC_NODE_IP), "10.0.0.3");
    EXPECT_EQ(dlg.GetText(IDC_NODE_SERIAL), "SN");
    EXPECT_EQ(dlg.GetText(IDC_NODE_REMARKS), "old");
    for (int nId : {IDC_NODE_NET_NAME, IDC_NODE_MODEL, IDC_NODE_MAC, IDC_NODE_IP}) {
        EXPECT_FALSE(dlg.IsEnabled(nId)) << nId;
    }
    EXPECT_TRUE(dlg.IsEnabled(IDC_NODE_SERIAL));
    EXPECT_TRUE(dlg.IsEnabled(IDC_NODE_REMARKS));
    Type(dlg, ui, IDC_NODE_REMARKS, "new");
    EXPECT_EQ(Press(dlg, ui, DIALOG_OK), DIALOG_OK);
    EXPECT_EQ(dlg.GetNode().m_strRemarks, "new");
    EXPECT_EQ(dlg.GetNode().m_strSerial, "SN");
    EXPECT_EQ(dlg.GetNode().m_strMac, "0080C8AABBCC");
}
