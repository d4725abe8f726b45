#include "ModalScript.h"
#include "gui/DialogView.h"
#include "gui/QtUi.h"
#include "ops/NetworkDlg.h"
#include "ops/NodeDlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {
std::vector<std::unique_ptr<CNetProperty>> Networks(std::initializer_list<const char*> names) {
    std::vector<std::unique_ptr<CNetProperty>> vec;
    for (const char* psz : names) {
        vec.push_back(std::make_unique<CNetProperty>());
        vec.back()->m_strName = psz;
    }
    return vec;
}

COXParam Node(const std::string& strMac, uint32_t dwIp) {
    COXParam node;
    node.m_strMac = strMac;
    node.m_dwIp = dwIp;
    return node;
}

// Replaces an edit's text as the operator does: focus, select all, type.
void Retype(QLineEdit* pEdit, const char* pszText) {
    pEdit->setFocus();
    pEdit->selectAll();
    QTest::keyClicks(pEdit, pszText);
}

// Enter on an edit: the dialog's OK command.
void Enter(QWidget* pWidget) {
    QTest::keyClick(pWidget, Qt::Key_Return);
}

// After a refused OK: the field has the focus with its whole text selected.
void ExpectFocusSelected(QDialog& dlg, QLineEdit* pEdit) {
    EXPECT_EQ(dlg.focusWidget(), pEdit) << pEdit->objectName().toStdString();
    EXPECT_EQ(pEdit->selectedText(), pEdit->text()) << pEdit->objectName().toStdString();
}

// Chooses an item of a drop-down list through its popup, as with the mouse.
void ChooseItem(QComboBox* pCombo, int nIndex) {
    pCombo->showPopup();
    QAbstractItemView* pView = pCombo->view();
    QRect rect = pView->visualRect(pView->model()->index(nIndex, 0));
    QTest::mouseClick(pView->viewport(), Qt::LeftButton, {}, rect.center());
}
} // namespace

TEST(RegistrationForms, EachFormBindsEveryControlOfItsTableAndNoOther) {
    CQtUi ui;
    auto arrNets = Networks({});
    std::vector<COXParam> arrNodes;
    CNetworkDlg network(NETDLG_MODE_NEW, "", 0xFFFFFF00u, 0x02020202u, arrNets);
    CNodeDlg node(NODEDLG_MODE_NEW, "", Node("", 0xC0A8C8FEu), arrNodes);
    for (CDialogModel* pModel : std::vector<CDialogModel*>{&network, &node}) {
        auto pView = CDialogView::Create(*pModel, ui, nullptr);
        ASSERT_NE(pView, nullptr) << pModel->GetDialogName();
        EXPECT_EQ(pView->GetUnboundControls(), std::vector<int>{}) << pModel->GetDialogName();
        std::set<int> setKnown;
        for (const SControl& control : pModel->GetControls()) {
            setKnown.insert(control.nId);
        }
        for (QWidget* pWidget : pView->findChildren<QWidget*>(QRegularExpression("^id\\d+$"))) {
            int nId = pWidget->objectName().mid(2).toInt();
            EXPECT_EQ(setKnown.count(nId), 1u) << pModel->GetDialogName() << " id" << nId;
        }
    }
}

TEST(NetworkDlgView, EveryRuleShowsItsMessageAndPutsTheFocusOnItsField) {
    CQtUi ui;
    auto arrNets = Networks({"Lab"});
    CNetworkDlg model(NETDLG_MODE_NEW, "", 0xFFFFFF00u, 0x02020202u, arrNets);
    CModalScript script;
    std::vector<QString> vecMessages(4);
    script.OnDialog("CNetworkDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("ﾈｯﾄﾜｰｸの新規登録"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11500)->text(), QString::fromUtf8("ﾈｯﾄﾜｰｸ名"));
        EXPECT_EQ(ControlWidget<QPushButton>(dlg, 2)->text(), QString::fromUtf8("ｷｬﾝｾﾙ"));
        // The base IP and the increment are on the form, hidden with their labels.
        for (int nId : {1503, 11503, 1504, 11504}) {
            EXPECT_FALSE(ControlWidget<QWidget>(dlg, nId)->isVisibleTo(&dlg)) << nId;
        }
        auto* pName = ControlWidget<QLineEdit>(dlg, 1500);
        auto* pMask = ControlWidget<QLineEdit>(dlg, 1501);
        auto* pGateway = ControlWidget<QLineEdit>(dlg, 1502);
        EXPECT_EQ(pName->text(), "");
        EXPECT_EQ(pMask->text(), "255.255.255.0");
        EXPECT_EQ(pGateway->text(), "2.2.2.2");

        // No name: the focus stays where it was.
        pMask->setFocus();
        pMask->setCursorPosition(3);
        Enter(pMask);
        EXPECT_EQ(dlg.focusWidget(), pMask);
        EXPECT_EQ(pMask->selectedText(), "");

        Retype(pName, "Lab");
        Retype(pMask, "0.255.255.255.99"); // 15 characters at most
        EXPECT_EQ(pMask->text(), "0.255.255.255.9");
        Enter(pName);
        ExpectFocusSelected(dlg, pMask);

        Retype(pMask, "255.255.255.0");
        Retype(pGateway, "192.168.1.0");
        Enter(pMask);
        ExpectFocusSelected(dlg, pGateway);

        Retype(pGateway, "192.168.1.1");
        Enter(pGateway);
        ExpectFocusSelected(dlg, pName);
        EXPECT_EQ(pName->text(), "Lab"); // everything typed stays

        pName->selectAll();
        TypeChars(pName, QString::fromUtf8("ラボ"));
        Enter(pName);
    });
    for (QString& str : vecMessages) {
        script.AcknowledgeMessage(&str);
    }
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(vecMessages, (std::vector<QString>{QString::fromUtf8("ﾈｯﾄﾜｰｸ名を設定してください"),
                                                 QString::fromUtf8("ｻﾌﾞﾈｯﾄﾏｽｸの値が異常です"),
                                                 QString::fromUtf8("ｹﾞｰﾄｳｪｲｱﾄﾞﾚｽの値が異常です"),
                                                 QString::fromUtf8("ﾈｯﾄﾜｰｸ名が重複しています")}));
    EXPECT_EQ(model.GetName(), "\x83\x89\x83\x7B"); // CP932 in the core
    EXPECT_EQ(model.GetGateway(), 0xC0A80101u);
}

TEST(NetworkDlgView, ViewModeShowsTheValuesDisabledAndOkTestsNothing) {
    CQtUi ui;
    auto arrNets = Networks({"Lab"});
    // A duplicate name and a mask the rules would refuse.
    CNetworkDlg model(NETDLG_MODE_VIEW, "Lab", 0x00FFFFFFu, 0x02020202u, arrNets);
    CModalScript script;
    script.OnDialog("CNetworkDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("ﾈｯﾄﾜｰｸ設定の確認"));
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1500)->text(), "Lab");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1501)->text(), "0.255.255.255");
        for (int nId : {1500, 1501, 1502}) {
            EXPECT_FALSE(ControlWidget<QLineEdit>(dlg, nId)->isEnabled()) << nId;
        }
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1), Qt::LeftButton);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
}

TEST(NodeDlgView, EveryRuleShowsItsMessageAndTheMacIsUpperCased) {
    CQtUi ui;
    std::vector<COXParam> arrNodes = {Node("0080C8AABBCC", 0x0A000003u)};
    CNodeDlg model(NODEDLG_MODE_NEW, "Lab", Node("", 0xC0A8C8FEu), arrNodes);
    CModalScript script;
    std::vector<QString> vecMessages(4);
    script.OnDialog("CNodeDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("ﾉｰﾄﾞ新規登録"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11511)->text(), QString::fromUtf8("機種名"));
        auto* pNetName = ControlWidget<QLineEdit>(dlg, 1510);
        auto* pModel = ControlWidget<QComboBox>(dlg, 1511);
        auto* pMac = ControlWidget<QLineEdit>(dlg, 1513);
        auto* pIp = ControlWidget<QLineEdit>(dlg, 1514);
        EXPECT_EQ(pNetName->text(), "Lab");
        EXPECT_FALSE(pNetName->isEnabled());
        ASSERT_EQ(pModel->count(), 1);
        EXPECT_EQ(pModel->itemText(0), "MRV-620");
        EXPECT_EQ(pModel->currentIndex(), 0);
        EXPECT_EQ(pIp->text(), "192.168.200.254");

        // Picking the model again puts the unset address back.
        Retype(pIp, "10.0.0.9");
        ChooseItem(pModel, 0);
        EXPECT_EQ(pIp->text(), "192.168.200.254");

        Retype(pMac, "0080c8aabb");
        EXPECT_EQ(pMac->text(), "0080C8AABB");
        Enter(pMac);
        ExpectFocusSelected(dlg, pMac);

        Retype(pMac, "0080c8aabbccdd"); // twelve characters at most
        EXPECT_EQ(pMac->text(), "0080C8AABBCC");
        Retype(pIp, "127.0.0.1");
        Enter(pMac);
        ExpectFocusSelected(dlg, pIp);

        Retype(pIp, "10.0.0.3");
        Enter(pIp);
        ExpectFocusSelected(dlg, pMac); // the MAC is registered already

        Retype(pMac, "0080c8abcdef");
        Enter(pMac);
        ExpectFocusSelected(dlg, pIp); // and so is the address

        Retype(pIp, "10.0.0.4");
        Retype(ControlWidget<QLineEdit>(dlg, 1515), "rack 4");
        Enter(pIp);
    });
    for (QString& str : vecMessages) {
        script.AcknowledgeMessage(&str);
    }
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(vecMessages,
              (std::vector<QString>{QString::fromUtf8("MACｱﾄﾞﾚｽは16進数12文字を入力してください"),
                                    QString::fromUtf8("IPｱﾄﾞﾚｽの値が異常です"),
                                    QString::fromUtf8("MACｱﾄﾞﾚｽは既に使用されています"),
                                    QString::fromUtf8("IPｱﾄﾞﾚｽは既に使用されています")}));
    EXPECT_EQ(model.GetNode().m_strMac, "0080C8ABCDEF");
    EXPECT_EQ(model.GetNode().m_dwIp, 0x0A000004u);
    EXPECT_EQ(model.GetNode().m_strRemarks, "rack 4");
}

TEST(NodeDlgView, PropertiesModeLetsOnlyTheDetailsChange) {
    CQtUi ui;
    std::vector<COXParam> arrNodes = {Node("0080C8AABBCC", 0x0A000003u)};
    CNodeDlg model(NODEDLG_MODE_PROPERTIES, "Lab", arrNodes[0], arrNodes);
    CModalScript script;
    script.OnDialog("CNodeDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("ﾉｰﾄﾞのﾌﾟﾛﾊﾟﾃｨ"));
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1513)->text(), "0080C8AABBCC");
        EXPECT_EQ(ControlWidget<QLineEdit>(dlg, 1514)->text(), "10.0.0.3");
        for (int nId : {1510, 1511, 1513, 1514}) {
            EXPECT_FALSE(ControlWidget<QWidget>(dlg, nId)->isEnabled()) << nId;
        }
        auto* pSerial = ControlWidget<QLineEdit>(dlg, 1512);
        Retype(pSerial, "SN-1");
        Enter(pSerial); // its own MAC and address pass untested
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(model.GetNode().m_strSerial, "SN-1");
}

TEST(NodeDlgView, EscapeCancels) {
    CQtUi ui;
    std::vector<COXParam> arrNodes;
    CNodeDlg model(NODEDLG_MODE_NEW, "Lab", Node("", 0xC0A8C8FEu), arrNodes);
    CModalScript script;
    script.OnDialog("CNodeDlg", [&](QDialog& dlg) {
        Retype(ControlWidget<QLineEdit>(dlg, 1513), "1");
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
}
