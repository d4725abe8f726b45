// The forms of the single-node commands and of the automatic assignment,
// shown offscreen through the generic view and worked as an operator would.
#include "ModalScript.h"
#include "gui/DialogView.h"
#include "gui/QtUi.h"
#include "ops/AutoSetDlg.h"
#include "ops/NodeCommandDlgs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {
QString U(const char* psz) {
    return QString::fromUtf8(psz);
}

void Retype(QLineEdit* pEdit, const QString& strText) {
    pEdit->setFocus();
    pEdit->selectAll();
    QTest::keyClick(pEdit, Qt::Key_Delete);
    QTest::keyClicks(pEdit, strText);
}

void Click(QDialog& dlg, int nId) {
    QTest::mouseClick(ControlWidget<QPushButton>(dlg, nId), Qt::LeftButton);
}

// Two networks; the first is current (255.255.255.0).
std::vector<std::unique_ptr<CNetProperty>> Networks() {
    std::vector<std::unique_ptr<CNetProperty>> arr;
    arr.push_back(std::make_unique<CNetProperty>());
    arr.back()->m_strName = "LINE-A";
    arr.push_back(std::make_unique<CNetProperty>());
    arr.back()->m_strName = "LINE-B";
    arr.back()->m_dwBaseIp = 0x0A000005u;
    arr.back()->m_dwSubnetMask = 0xFF000000u;
    return arr;
}
} // namespace

// Each form has a widget of the right class for every control of its model's
// table, and no widget named for a control the table does not know.
TEST(NodeOpsForms, EveryFormBindsEveryControlOfItsTable) {
    CQtUi ui;
    auto arrNets = Networks();
    CGetParamDlg getParam(true);
    CModeChangeDlg modeChange(true);
    CInitializeDlg initialize;
    CInitModelDlg initModel;
    CInitErrorDlg initError("0080C8000001");
    CAutoSetErrorDlg autoSetError("0080C8000001");
    CAutoSetDlg autoSet(arrNets, 0);
    for (CDialogModel* pModel :
         std::vector<CDialogModel*>{&getParam, &modeChange, &initialize, &initModel, &initError,
                                    &autoSetError, &autoSet}) {
        auto pView = CDialogView::Create(*pModel, ui, nullptr);
        ASSERT_NE(pView, nullptr) << pModel->GetDialogName();
        EXPECT_EQ(pView->objectName(), pModel->GetDialogName());
        EXPECT_EQ(pView->GetUnboundControls(), std::vector<int>{}) << pModel->GetDialogName();
        std::set<int> setKnown;
        for (const SControl& control : pModel->GetControls()) {
            setKnown.insert(control.nId);
            setKnown.insert(control.vecMembers.begin(), control.vecMembers.end());
        }
        for (QWidget* pWidget : pView->findChildren<QWidget*>(QRegularExpression("^id\\d+$"))) {
            int nId = pWidget->objectName().mid(2).toInt();
            EXPECT_EQ(setKnown.count(nId), 1u) << pModel->GetDialogName() << " id" << nId;
        }
    }
}

TEST(AutoSetDlgView, RefusesAnIncrementOutOfRangeThenClosesWithTheValues) {
    CQtUi ui;
    auto arrNets = Networks();
    CAutoSetDlg model(arrNets, 0);
    CModalScript script;
    QString strRange, strOverlap;
    script.OnDialog("CAutoSetDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), U("ﾉｰﾄﾞ自動設定"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 1520)->text(),
                  U("注意！\n\u3000自動設定は、IPアドレス未設定のMRV-620にのみ設定を行います"));
        auto* pModel = ControlWidget<QComboBox>(dlg, 1521);
        EXPECT_EQ(pModel->count(), 1);
        EXPECT_EQ(pModel->currentText(), "MRV-620");
        auto* pBase = ControlWidget<QLineEdit>(dlg, 1522);
        auto* pIncrement = ControlWidget<QLineEdit>(dlg, 1523);
        EXPECT_EQ(pBase->text(), "192.168.200.254");
        EXPECT_EQ(pIncrement->text(), "1");
        Retype(pIncrement, "100"); // two characters at most
        EXPECT_EQ(pIncrement->text(), "10");
        Retype(pIncrement, "0");
        Retype(pBase, "10.1.2.3");
        Click(dlg, DIALOG_OK); // the range message, answered by the next step
        EXPECT_EQ(dlg.focusWidget(), pIncrement);
        EXPECT_EQ(pIncrement->selectedText(), "0");
        QTest::keyClicks(pIncrement, "25");
        Click(dlg, DIALOG_OK); // 10.1.2.3 lies in LINE-B's subnet
        EXPECT_EQ(dlg.focusWidget(), pBase);
        EXPECT_EQ(pBase->selectedText(), "10.1.2.3");
        QTest::keyClicks(pBase, "192.168.1.20");
        QTest::keyClick(pBase, Qt::Key_Return); // Enter is OK
    });
    script.AcknowledgeMessage(&strRange);
    script.AcknowledgeMessage(&strOverlap);
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(strRange, U("1 から 99 までの整数を入力してください。"));
    EXPECT_EQ(strOverlap, U("ｻﾌﾞﾈｯﾄが[LINE-B]と重複しています"));
    EXPECT_EQ(model.GetBaseIp(), 0xC0A80114u);
    EXPECT_EQ(model.GetIncrement(), 25);
}

TEST(ModeChangeDlgView, TheSetupButtonSendsSevenAndTheBoxIsOffered) {
    CQtUi ui;
    CModeChangeDlg model(true);
    CModalScript script;
    script.OnDialog("CModeChangeDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), U("モード変更"));
        EXPECT_TRUE(ControlWidget<QRadioButton>(dlg, 1611)->isChecked());
        EXPECT_EQ(ControlWidget<QRadioButton>(dlg, 1616)->text(), U("ﾌﾞｰﾄﾛｰﾀﾞ"));
        auto* pSetup = ControlWidget<QRadioButton>(dlg, 1615);
        EXPECT_EQ(pSetup->text(), U("ｾｯﾄｱｯﾌﾟ"));
        ClickBox(pSetup);
        EXPECT_FALSE(ControlWidget<QRadioButton>(dlg, 1611)->isChecked());
        auto* pBox = ControlWidget<QCheckBox>(dlg, 1058);
        EXPECT_TRUE(pBox->isEnabled());
        ClickBox(pBox);
        Click(dlg, DIALOG_OK);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(model.GetModeCode(), 7);
    EXPECT_TRUE(model.IsOutsideNetwork());
}

TEST(GetParamDlgView, ANodeWithoutAddressHasTheBoxClearedAndDisabled) {
    CQtUi ui;
    CGetParamDlg model(false);
    CModalScript script;
    script.OnDialog("CGetParamDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), U("設定の取得"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 1600)->text(),
                  U("選択されたﾉｰﾄﾞから設定を取得します"));
        auto* pBox = ControlWidget<QCheckBox>(dlg, 1058);
        EXPECT_FALSE(pBox->isEnabled());
        EXPECT_FALSE(pBox->isChecked());
        ClickBox(pBox); // nothing happens
        EXPECT_FALSE(pBox->isChecked());
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(model.IsOutsideNetwork());
}

TEST(InitializeDlgView, TheBoxIsAlwaysClearedAndDisabled) {
    CQtUi ui;
    CInitializeDlg model;
    CModalScript script;
    script.OnDialog("CInitializeDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), U("初期化"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 1600)->text(), U("選択されたﾉｰﾄﾞを初期化します"));
        EXPECT_FALSE(ControlWidget<QCheckBox>(dlg, 1058)->isEnabled());
        EXPECT_FALSE(ControlWidget<QCheckBox>(dlg, 1058)->isChecked());
        Click(dlg, DIALOG_OK);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
}

TEST(InitModelDlgView, OffersTheModelTableAndCancels) {
    CQtUi ui;
    CInitModelDlg model;
    CModalScript script;
    script.OnDialog("CInitModelDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), U("一括初期化"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 1600)->text(),
                  U("選択された機種のﾉｰﾄﾞﾞを一括で初期化します"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11621)->text(), U("対象機種"));
        auto* pCombo = ControlWidget<QComboBox>(dlg, 1621);
        EXPECT_EQ(pCombo->count(), 1);
        EXPECT_EQ(pCombo->currentIndex(), 0);
        EXPECT_EQ(pCombo->currentText(), "MRV-620");
        Click(dlg, DIALOG_CANCEL);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
}

TEST(NoReplyDlgView, EndEndsAndContinueOrEscapeGoesOn) {
    CQtUi ui;
    struct SCase {
        const char* pszTitle;
        std::function<std::unique_ptr<CNoReplyDlg>()> fnMake;
    };
    std::vector<SCase> vecCases = {
        {"一括初期化エラー", [] { return std::make_unique<CInitErrorDlg>("0080C8000002"); }},
        {"自動設定エラー", [] { return std::make_unique<CAutoSetErrorDlg>("0080C8000002"); }},
    };
    for (const SCase& c : vecCases) {
        std::vector<int> vecResults;
        for (int nWay = 0; nWay < 3; ++nWay) {
            std::unique_ptr<CNoReplyDlg> pModel = c.fnMake();
            CModalScript script;
            script.OnDialog(pModel->GetDialogName(), [&](QDialog& dlg) {
                EXPECT_EQ(dlg.windowTitle(), U(c.pszTitle));
                EXPECT_EQ(ControlWidget<QLabel>(dlg, 11631)->text(), U("MACアドレス："));
                auto* pMac = ControlWidget<QLineEdit>(dlg, 1631);
                EXPECT_EQ(pMac->text(), "0080C8000002");
                EXPECT_TRUE(pMac->isReadOnly());
                EXPECT_EQ(ControlWidget<QLabel>(dlg, 1632)->text(),
                          U("のMRV-620から応答がありません"));
                EXPECT_EQ(ControlWidget<QPushButton>(dlg, 1633)->text(), U("継続"));
                EXPECT_EQ(ControlWidget<QPushButton>(dlg, 1634)->text(), U("終了"));
                if (nWay == 0) {
                    Click(dlg, IDC_NOREPLY_END);
                } else if (nWay == 1) {
                    Click(dlg, IDC_NOREPLY_CONTINUE);
                } else {
                    QTest::keyClick(&dlg, Qt::Key_Escape);
                }
            });
            vecResults.push_back(ui.DoModal(*pModel));
            EXPECT_TRUE(script.Done()) << c.pszTitle << " " << nWay;
        }
        EXPECT_TRUE(CNoReplyDlg::IsEnd(vecResults[0])) << c.pszTitle;
        EXPECT_FALSE(CNoReplyDlg::IsEnd(vecResults[1])) << c.pszTitle;
        EXPECT_FALSE(CNoReplyDlg::IsEnd(vecResults[2])) << c.pszTitle;
    }
}
