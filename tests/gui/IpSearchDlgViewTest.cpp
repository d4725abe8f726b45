#include "ModalScript.h"
#include "gui/QtUi.h"
#include "ops/IpSearchDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
QStringList Rows(QListWidget* pList) {
    QStringList list;
    for (int i = 0; i < pList->count(); ++i) {
        list << pList->item(i)->text();
    }
    return list;
}

std::vector<std::string> Addresses(const std::vector<CIpSearchList>& list) {
    std::vector<std::string> vec;
    for (const CIpSearchList& entry : list) {
        vec.push_back(entry.m_strIp);
    }
    return vec;
}

void ClickRow(QListWidget* pList, int nRow) {
    QRect rect = pList->visualItemRect(pList->item(nRow));
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, rect.center());
}

void DoubleClickRow(QListWidget* pList, int nRow) {
    DoubleClickAt(pList->viewport(), pList->visualItemRect(pList->item(nRow)).center());
}

void Register(QDialog& dlg, const char* pszAddress) {
    auto* pEdit = ControlWidget<QLineEdit>(dlg, 1300);
    pEdit->setFocus();
    pEdit->selectAll();
    QTest::keyClicks(pEdit, pszAddress);
    QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1301), Qt::LeftButton);
}
} // namespace

TEST(IpSearchDlgView, RegistersMovesAndSearchesOverTheDocumentsLists) {
    CQtUi ui;
    std::vector<CIpSearchList> listIpAddr{CIpSearchList{"172.16.0.9"}};
    std::vector<CIpSearchList> listTargets;
    CIpSearchDlg model(listIpAddr, listTargets);
    CModalScript script;
    QString strMessage;
    script.OnDialog("CIpSearchDlg", [&](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("ＩＰ検索"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11300)->text(),
                  QString::fromUtf8("例：192.168.200.180"));
        auto* pEdit = ControlWidget<QLineEdit>(dlg, 1300);
        auto* pAddr = ControlWidget<QListWidget>(dlg, 1302);
        auto* pTargets = ControlWidget<QListWidget>(dlg, 1306);
        EXPECT_EQ(Rows(pAddr), QStringList{"172.16.0.9"});

        Register(dlg, "192.168.1.20");
        EXPECT_EQ(Rows(pAddr), (QStringList{"172.16.0.9", "192.168.1.20"}));
        EXPECT_EQ(dlg.focusWidget(), pEdit);
        EXPECT_EQ(pEdit->selectedText(), "192.168.1.20");
        Register(dlg, "10.0.0.5");
        // The edit takes 15 characters at most.
        QTest::keyClicks(pEdit, "1234567890123456789");
        EXPECT_EQ(pEdit->text(), "123456789012345");
        // Refused: the message box, then the text selected again.
        Register(dlg, "10.0.0.");
        EXPECT_EQ(pEdit->selectedText(), "10.0.0.");
        EXPECT_EQ(Rows(pAddr), (QStringList{"10.0.0.5", "172.16.0.9", "192.168.1.20"}));

        ClickRow(pAddr, 2);
        EXPECT_EQ(model.GetInt(1302), 2);
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1304), Qt::LeftButton);
        EXPECT_EQ(Rows(pTargets), QStringList{"192.168.1.20"});
        DoubleClickRow(pAddr, 0);
        DoubleClickRow(pAddr, 1);
        EXPECT_EQ(Rows(pTargets), (QStringList{"10.0.0.5", "172.16.0.9", "192.168.1.20"}));
        DoubleClickRow(pTargets, 1); // double-click on a target removes it
        EXPECT_EQ(Rows(pTargets), (QStringList{"10.0.0.5", "192.168.1.20"}));
        ClickRow(pAddr, 1);
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1303), Qt::LeftButton);
        EXPECT_EQ(Rows(pAddr), (QStringList{"10.0.0.5", "192.168.1.20"}));
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1307), Qt::LeftButton);
    });
    script.AcknowledgeMessage(&strMessage);
    EXPECT_EQ(ui.DoModal(model), IPS_RESULT_SEARCH);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(strMessage, QString::fromUtf8("IPｱﾄﾞﾚｽの値が異常です"));
    // The document holds each list from the last row to the first.
    EXPECT_EQ(Addresses(listIpAddr), (std::vector<std::string>{"192.168.1.20", "10.0.0.5"}));
    EXPECT_EQ(Addresses(listTargets), (std::vector<std::string>{"192.168.1.20", "10.0.0.5"}));
}

TEST(IpSearchDlgView, EscapeClosesWithoutSearchingAndKeepsTheChanges) {
    CQtUi ui;
    std::vector<CIpSearchList> listIpAddr;
    std::vector<CIpSearchList> listTargets{CIpSearchList{"10.0.0.1"}};
    CIpSearchDlg model(listIpAddr, listTargets);
    CModalScript script;
    script.OnDialog("CIpSearchDlg", [&](QDialog& dlg) {
        Register(dlg, "10.0.0.2");
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_CANCEL);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(Addresses(listIpAddr), std::vector<std::string>{"10.0.0.2"});
    EXPECT_EQ(Addresses(listTargets), std::vector<std::string>{"10.0.0.1"});
}
