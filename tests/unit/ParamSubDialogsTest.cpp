#include "params/ParamSubDialogs.h"
#include "ScriptedUi.h"
#include "params/ParamControls.h"

#include <gtest/gtest.h>

namespace {
void ExpectEdit(const CDialogModel& dlg, int nId, size_t nLimit) {
    const SControl* pControl = dlg.FindControl(nId);
    ASSERT_NE(pControl, nullptr) << nId;
    EXPECT_EQ(pControl->eKind, ECtl::Edit) << nId;
    EXPECT_EQ(pControl->nLimit, nLimit) << nId;
}

void ExpectOkCancel(const CDialogModel& dlg) {
    EXPECT_EQ(dlg.GetCaption(DIALOG_OK), "OK");
    EXPECT_EQ(dlg.GetCaption(DIALOG_CANCEL), "ｷｬﾝｾﾙ");
}
} // namespace

TEST(StartProgramDlg, SixteenNamesOfTwelveOnTwoIdRanges) {
    CStartProgramDlg dlg;
    EXPECT_EQ(dlg.GetTitle(), "起動ﾌﾟﾛｸﾞﾗﾑ名設定");
    for (int nId = 1050; nId <= 1057; ++nId) {
        ExpectEdit(dlg, nId, 12);
    }
    for (int nId = 1059; nId <= 1066; ++nId) {
        ExpectEdit(dlg, nId, 12);
    }
    EXPECT_EQ(dlg.FindControl(1058), nullptr);
    EXPECT_EQ(dlg.GetCaption(LabelOf(1050)), "起動ﾌﾟﾛｸﾞﾗﾑ名 1");
    EXPECT_EQ(dlg.GetCaption(LabelOf(1059)), "起動ﾌﾟﾛｸﾞﾗﾑ名 9");
    EXPECT_EQ(dlg.GetCaption(LabelOf(1060)), "起動ﾌﾟﾛｸﾞﾗﾑ名10");
    EXPECT_EQ(dlg.GetCaption(LabelOf(1066)), "起動ﾌﾟﾛｸﾞﾗﾑ名16");
    ExpectOkCancel(dlg);

    std::array<std::string, 16> arrNames;
    for (size_t i = 0; i < 16; ++i) {
        arrNames[i] = "n" + std::to_string(i + 1);
    }
    dlg.SetNames(arrNames);
    EXPECT_EQ(dlg.GetText(1050), "n1");
    EXPECT_EQ(dlg.GetText(1057), "n8");
    EXPECT_EQ(dlg.GetText(1059), "n9");
    EXPECT_EQ(dlg.GetText(1066), "n16");
    CScriptedUi ui;
    Type(dlg, ui, 1059, "0123456789ABCDEF");
    EXPECT_EQ(dlg.GetNames()[8], "0123456789AB");
    EXPECT_EQ(dlg.GetNames()[15], "n16");
    // Enter is OK; no checks.
    Type(dlg, ui, 1050, "");
    EXPECT_EQ(Press(dlg, ui, DIALOG_OK), DIALOG_OK);
}

TEST(GeneralItemsDlg, ItemsNineAndTenAreHiddenDisabledAndNeverFilled) {
    CGeneralItemsDlg dlg;
    EXPECT_EQ(dlg.GetTitle(), "汎用設定項目のﾀﾞｲｱﾛｸﾞ");
    for (int nId = 1147; nId <= 1156; ++nId) {
        ExpectEdit(dlg, nId, 15);
    }
    for (int nId = 1147; nId <= 1154; ++nId) {
        EXPECT_TRUE(dlg.IsVisible(nId) && dlg.IsEnabled(nId)) << nId;
    }
    for (int nId : {1155, 1156}) {
        EXPECT_FALSE(dlg.IsVisible(nId)) << nId;
        EXPECT_FALSE(dlg.IsEnabled(nId)) << nId;
        EXPECT_FALSE(dlg.IsVisible(LabelOf(nId))) << nId;
    }
    EXPECT_EQ(dlg.GetCaption(LabelOf(1147)), "汎用設定項目1");
    EXPECT_EQ(dlg.GetCaption(LabelOf(1154)), "汎用設定項目8");
    EXPECT_EQ(dlg.GetCaption(LabelOf(1156)), "汎用設定項目10");
    ExpectOkCancel(dlg);
    std::array<std::string, 8> arrItems{"a", "b", "c", "d", "e", "f", "g", "h"};
    dlg.SetGeneralItems(arrItems);
    EXPECT_EQ(dlg.GetText(1154), "h");
    EXPECT_EQ(dlg.GetText(1155), "");
    EXPECT_EQ(dlg.GetGeneralItems(), arrItems);
    CScriptedUi ui;
    EXPECT_EQ(Press(dlg, ui, DIALOG_CANCEL), DIALOG_CANCEL);
}

TEST(SnmpDlg, ListsLimitsAndTheChecksOnEnter) {
    CSnmpDlg dlg;
    EXPECT_EQ(dlg.GetTitle(), "SNMP設定のﾀﾞｲｱﾛｸﾞ");
    for (int nId : {1184, 1185}) {
        ASSERT_NE(dlg.FindControl(nId), nullptr);
        EXPECT_EQ(dlg.FindControl(nId)->eKind, ECtl::DropList);
        EXPECT_EQ(dlg.GetItems(nId).size(), 2u);
    }
    for (int nId : {1175, 1176, 1177, 1178, 1179}) {
        ExpectEdit(dlg, nId, 15);
    }
    for (int nId : {1180, 1181, 1182}) {
        ExpectEdit(dlg, nId, 64);
    }
    ExpectOkCancel(dlg);
    const std::pair<int, const char*> labels[] = {
        {1184, "SNMP有効／無効"}, {1185, "ｺﾐｭﾆﾃｨ違反TRAP有効／無効"},
        {1175, "TRAP先IP"},       {1176, "識別番号"},
        {1177, "GET用ｺﾐｭﾆﾃｨ名"},  {1178, "SET用ｺﾐｭﾆﾃｨ名"},
        {1179, "TRAP用ｺﾐｭﾆﾃｨ名"}, {1180, "CONTACT"},
        {1181, "LOCATION"},       {1182, "NAME"}};
    for (const auto& [nId, pszLabel] : labels) {
        EXPECT_EQ(dlg.GetCaption(LabelOf(nId)), pszLabel) << nId;
    }

    SSnmpTexts snmp;
    snmp.nSnmp = 2; // outside the list
    snmp.nAuthTrap = 1;
    snmp.strTrapIp = "0.0.0.0";
    snmp.strGetCommunity = "g";
    snmp.strSetCommunity = "s";
    snmp.strTrapCommunity = "";
    dlg.SetSnmp(snmp);
    EXPECT_EQ(dlg.GetInt(1184), -1);
    EXPECT_EQ(dlg.GetInt(1185), 1);
    CScriptedUi ui;
    // Enter runs the same checks as the OK button.
    PressExpectingMessage(dlg, ui, DIALOG_OK, "TRAP用コミュニティ名が異常です", 1179);
    Type(dlg, ui, 1179, "t");
    Type(dlg, ui, 1180, std::string(70, 'x'));
    EXPECT_EQ(Press(dlg, ui, DIALOG_OK), DIALOG_OK);
    SSnmpTexts back = dlg.GetSnmp();
    EXPECT_EQ(back.nSnmp, -1);
    EXPECT_EQ(back.strTrapCommunity, "t");
    EXPECT_EQ(back.strContact, std::string(64, 'x'));
    // Cancel ends without checks.
    Type(dlg, ui, 1177, "");
    EXPECT_EQ(Press(dlg, ui, DIALOG_CANCEL), DIALOG_CANCEL);
}
