#include "ModalScript.h"
#include "SampleParam.h"
#include "gui/DialogView.h"
#include "gui/QtUi.h"
#include "params/DefaultParamSheet.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "params/ParamFields.h"
#include "params/ParamSubDialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstring>

namespace {
// Replaces an edit's text as the operator would: select all, type.
void Retype(QLineEdit* pEdit, const QString& strText) {
    pEdit->setFocus();
    pEdit->selectAll();
    QTest::keyClick(pEdit, Qt::Key_Delete);
    QTest::keyClicks(pEdit, strText);
}

void ClickButton(QWidget& dlg, int nId) {
    QTest::mouseClick(ControlWidget<QPushButton>(dlg, nId), Qt::LeftButton);
}

QString FocusName(QWidget& dlg) {
    return dlg.focusWidget() != nullptr ? dlg.focusWidget()->objectName() : QString();
}

// Two pages of a tab widget, each a group of the model.
class CPagesDlg : public CDialogModel {
public:
    CPagesDlg() {
        SetControls({SControl::Captioned(301, ECtl::Group, "一頁"),
                     SControl::Captioned(302, ECtl::Group, "二頁"), SControl::Of(303, ECtl::Edit)});
    }
    const char* GetDialogName() const override { return "CPagesDlg"; }
    SDialogAction OnCommand(CUi&, int) override { return SDialogAction::StayOpen(); }
};

void SetUpPagesForm(QDialog* pDialog) {
    auto* pTabs = new QTabWidget(pDialog);
    auto* pFirst = new QWidget;
    pFirst->setObjectName("id301");
    auto* pEdit = new QLineEdit(pFirst);
    pEdit->setObjectName("id303");
    auto* pSecond = new QWidget;
    pSecond->setObjectName("id302");
    pTabs->addTab(pFirst, "form 1");
    pTabs->addTab(pSecond, "form 2");
    (new QVBoxLayout(pDialog))->addWidget(pTabs);
}
} // namespace

TEST(DialogViewTabPage, PageCaptionAndStateGoToItsTab) {
    CQtUi ui;
    CPagesDlg dlg;
    auto pView = CDialogView::CreateOnForm(dlg, ui, nullptr, SetUpPagesForm);
    EXPECT_TRUE(pView->GetUnboundControls().empty());
    auto* pTabs = pView->findChild<QTabWidget*>();
    ASSERT_NE(pTabs, nullptr);
    EXPECT_EQ(pTabs->tabText(0), QString::fromUtf8("一頁"));
    EXPECT_EQ(pTabs->tabText(1), QString::fromUtf8("二頁"));
    EXPECT_TRUE(pTabs->isTabVisible(0));
    dlg.Show(302, false);
    dlg.Enable(301, false);
    dlg.SetCaption(301, "変更");
    pView->RefreshFromModel();
    EXPECT_FALSE(pTabs->isTabVisible(1));
    EXPECT_FALSE(pTabs->isTabEnabled(0));
    EXPECT_EQ(pTabs->tabText(0), QString::fromUtf8("変更"));
    EXPECT_EQ(pTabs->count(), 2);
}

TEST(DefaultParamSheetView, TypingApplyingTheSnmpSubDialogAndOk) {
    CQtUi ui;
    NODEPARAM param = SampleParam();
    COXPropSheet sheet(param);
    CModalScript script;
    QString strMessage;
    QString strFocusAfterMessage;
    bool bApplyAtStart = true, bApplyAfterTyping = false, bApplyAfterApply = true;
    bool bApplyAfterSnmp = false;
    uint16_t wMtuAfterApply = 0;
    script.OnDialog("COXPropSheet", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀの設定"));
        auto* pTabs = dlg.findChild<QTabWidget*>();
        EXPECT_NE(pTabs, nullptr);
        if (pTabs != nullptr) {
            EXPECT_EQ(pTabs->count(), 1);
            EXPECT_EQ(pTabs->tabText(0), QString::fromUtf8("MRV-620ｼﾘｰｽﾞ"));
        }
        EXPECT_EQ(ControlWidget<QGroupBox>(dlg, IDC_PRM_GROUP_SERIAL)->title(),
                  QString::fromUtf8("シリアル設定"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, LabelOf(1150))->text(), "MTU");
        EXPECT_EQ(ControlWidget<QPushButton>(dlg, 1149)->text(), QString::fromUtf8("設定画面"));
        EXPECT_EQ(ControlWidget<QPushButton>(dlg, 2)->text(), QString::fromUtf8("キャンセル"));
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1128)->text(), "10.0.0.1");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1146)->text(), "0D0A");
        EXPECT_EQ(ControlWidget<QComboBox>(dlg, 1130)->currentText(), "921,600bps");
        EXPECT_EQ(ControlWidget<QComboBox>(dlg, 1134)->currentText(), QString::fromUtf8("ﾊｰﾄﾞｳｪｱ"));
        auto* pApply = ControlWidget<QPushButton>(dlg, IDC_SHEET_APPLY);
        bApplyAtStart = pApply->isEnabled();

        // The hex filter: "G" is dropped, lower case shows upper case.
        auto* pFileTerm = ControlWidget<QLineEdit>(dlg, 1141);
        Retype(pFileTerm, "0dG");
        EXPECT_EQ(pFileTerm->text(), "0D");
        auto* pRecordTerm = ControlWidget<QLineEdit>(dlg, 1146);
        Retype(pRecordTerm, "0a0bc");
        EXPECT_EQ(pRecordTerm->text(), "0A0B"); // four digits at most
        bApplyAfterTyping = pApply->isEnabled();

        // A refused MTU: the message, then the field selected.
        auto* pMtu = ControlWidget<QLineEdit>(dlg, 1150);
        Retype(pMtu, "513");
        ClickButton(dlg, IDC_SHEET_APPLY);
        strFocusAfterMessage = FocusName(dlg);
        EXPECT_EQ(pMtu->selectedText(), "513");
        Retype(pMtu, "600");
        ClickButton(dlg, IDC_SHEET_APPLY);
        bApplyAfterApply = pApply->isEnabled();
        wMtuAfterApply = param.wMtu;

        ClickButton(dlg, 1149); // SNMP; its own step follows
        bApplyAfterSnmp = pApply->isEnabled();
        ClickButton(dlg, DIALOG_OK);
    });
    script.AcknowledgeMessage(&strMessage);
    script.OnDialog("CSnmpDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("SNMP設定のﾀﾞｲｱﾛｸﾞ"));
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1177)->text(), "get");
        Retype(ControlWidget<QLineEdit>(dlg, 1177), "public");
        ClickButton(dlg, DIALOG_OK);
    });
    EXPECT_EQ(ui.DoModal(sheet), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(bApplyAtStart);
    EXPECT_TRUE(bApplyAfterTyping);
    EXPECT_EQ(strMessage, QString::fromUtf8("MTUの値が異常です(514-1500)"));
    EXPECT_EQ(strFocusAfterMessage, "id1150");
    EXPECT_FALSE(bApplyAfterApply);
    EXPECT_EQ(wMtuAfterApply, 600);
    EXPECT_TRUE(bApplyAfterSnmp);
    EXPECT_EQ(GetTextField(param.szGetCommunity), "public");
    EXPECT_EQ(param.byFileTermLen, 1);
    EXPECT_EQ(param.abFileTerm[0], 0x0D);
    EXPECT_EQ(param.byRecordTermLen, 2);
    EXPECT_EQ(param.abRecordTerm[1], 0x0B);
}

TEST(DefaultParamSheetView, EscapeCancelsAndCopiesNothing) {
    CQtUi ui;
    NODEPARAM param = SampleParam();
    COXPropSheet sheet(param);
    CModalScript script;
    script.OnDialog("COXPropSheet", [&](QDialog& dlg) {
        Retype(ControlWidget<QLineEdit>(dlg, 1150), "700");
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(ui.DoModal(sheet), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(param.wMtu, 1500);
}

TEST(StartProgramDlgView, NamesOnBothIdRangesWithTheirLimit) {
    CQtUi ui;
    CStartProgramDlg dlg;
    std::array<std::string, 16> arrNames;
    arrNames[8] = "ninth";
    dlg.SetNames(arrNames);
    CModalScript script;
    script.OnDialog("CStartProgramDlg", [&](QDialog& form) {
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("起動ﾌﾟﾛｸﾞﾗﾑ名設定"));
        EXPECT_EQ(ControlWidget<QLineEdit>(form, 1059)->text(), "ninth");
        EXPECT_EQ(ControlWidget<QLabel>(form, LabelOf(1066))->text(),
                  QString::fromUtf8("起動ﾌﾟﾛｸﾞﾗﾑ名16"));
        Retype(ControlWidget<QLineEdit>(form, 1050), "first");
        Retype(ControlWidget<QLineEdit>(form, 1066), "sixteen-is-too-long");
        EXPECT_EQ(ControlWidget<QLineEdit>(form, 1066)->text(), "sixteen-is-t");
        ClickButton(form, DIALOG_OK);
    });
    EXPECT_EQ(ui.DoModal(dlg), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(dlg.GetNames()[0], "first");
    EXPECT_EQ(dlg.GetNames()[8], "ninth");
    EXPECT_EQ(dlg.GetNames()[15], "sixteen-is-t");
}

TEST(GeneralItemsDlgView, ItemsNineAndTenStayHiddenEnterIsOk) {
    CQtUi ui;
    CGeneralItemsDlg dlg;
    dlg.SetGeneralItems({"a", "b", "c", "d", "e", "f", "g", "h"});
    CModalScript script;
    bool bNineShown = true, bTenEnabled = true, bNineLabelShown = true;
    script.OnDialog("CGeneralItemsDlg", [&](QDialog& form) {
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("汎用設定項目のﾀﾞｲｱﾛｸﾞ"));
        bNineShown = ControlWidget<QLineEdit>(form, 1155)->isVisible();
        bNineLabelShown = ControlWidget<QLabel>(form, LabelOf(1155))->isVisible();
        bTenEnabled = ControlWidget<QLineEdit>(form, 1156)->isEnabled();
        EXPECT_EQ(ControlWidget<QLineEdit>(form, 1154)->text(), "h");
        auto* pFirst = ControlWidget<QLineEdit>(form, 1147);
        Retype(pFirst, "changed");
        QTest::keyClick(pFirst, Qt::Key_Return);
    });
    EXPECT_EQ(ui.DoModal(dlg), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(bNineShown);
    EXPECT_FALSE(bNineLabelShown);
    EXPECT_FALSE(bTenEnabled);
    EXPECT_EQ(dlg.GetGeneralItems()[0], "changed");
}

TEST(SnmpDlgView, EnterRunsTheChecksAndCancelKeepsTheValues) {
    CQtUi ui;
    CSnmpDlg dlg;
    SSnmpTexts snmp;
    snmp.nSnmp = 1;
    snmp.strTrapIp = "0.0.0.0";
    snmp.strGetCommunity = "g";
    snmp.strSetCommunity = "s";
    snmp.strTrapCommunity = "t";
    dlg.SetSnmp(snmp);
    CModalScript script;
    QString strMessage;
    QString strFocus;
    script.OnDialog("CSnmpDlg", [&](QDialog& form) {
        auto* pEnable = ControlWidget<QComboBox>(form, 1184);
        EXPECT_EQ(pEnable->currentText(), QString::fromUtf8("有効"));
        EXPECT_EQ(ControlWidget<QComboBox>(form, 1185)->currentText(), QString::fromUtf8("無効"));
        auto* pGet = ControlWidget<QLineEdit>(form, 1177);
        Retype(pGet, "");
        QTest::keyClick(pGet, Qt::Key_Return); // the message box's step follows
        strFocus = FocusName(form);
        Retype(pGet, "community");
        ClickButton(form, DIALOG_CANCEL);
    });
    script.AcknowledgeMessage(&strMessage);
    EXPECT_EQ(ui.DoModal(dlg), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(strMessage, QString::fromUtf8("GET用コミュニティ名が異常です"));
    EXPECT_EQ(strFocus, "id1177");
}

TEST(ParamEditorSubDialogView, TheSettingsDialogOpensTheStartProgramDialog) {
    CQtUi ui;
    NODEPARAM defParam = SampleParam();
    CParamEditor editor(defParam);
    editor.SetPcAddressFn([](uint32_t) { return std::vector<uint32_t>(); });
    editor.FillForIndividualSetting(0xC0A80A33u, 0xFFFFFF00u, 0xC0A80A01u);
    CModalScript script;
    bool bModeShown = true;
    script.OnDialog("CParamEditor", [&](QDialog& form) {
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("MRV-620ｼﾘｰｽﾞの個別設定"));
        EXPECT_EQ(ControlWidget<QLineEdit>(form, 1039)->text(), "192.168.10.51");
        bModeShown = ControlWidget<QLineEdit>(form, 1042)->isVisible();
        ClickButton(form, 1049);
        // Enter in an input field does nothing; only "送信" ends the dialog.
        auto* pUser = ControlWidget<QLineEdit>(form, 1030);
        pUser->setFocus();
        QTest::keyClick(pUser, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible());
        ClickButton(form, 1086);
    });
    script.OnDialog("CStartProgramDlg", [&](QDialog& form) {
        EXPECT_EQ(ControlWidget<QLineEdit>(form, 1050)->text(), "prog0");
        Retype(ControlWidget<QLineEdit>(form, 1051), "second");
        ClickButton(form, DIALOG_OK);
    });
    EXPECT_EQ(ui.DoModal(editor), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(bModeShown);
    EXPECT_EQ(GetTextField(editor.ReadBack().szStartProgram[1]), "second");
    EXPECT_EQ(GetTextField(defParam.szStartProgram[1]), "prog1");
}
