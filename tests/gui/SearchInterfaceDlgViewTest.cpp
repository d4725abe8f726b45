// The search-interface dialog on its form: all interfaces or one of them.
#include "ModalScript.h"
#include "gui/QtUi.h"
#include "ops/SearchInterface.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
std::vector<SNetInterface> TwoInterfaces() {
    SNetInterface eth;
    eth.strName = "eth0";
    eth.nIndex = 2;
    eth.dwAddr = 0xC0A80105u;
    SNetInterface wlan = eth;
    wlan.strName = "wlan0";
    wlan.nIndex = 3;
    wlan.dwAddr = 0x0A000007u;
    return {eth, wlan};
}
} // namespace

TEST(SearchInterfaceDlgView, ListsAllThenEachInterfaceAndTakesTheChoice) {
    CQtUi ui;
    CSearchInterfaceDlg model(TwoInterfaces(), "eth0");
    CModalScript script;
    script.OnDialog("CSearchInterfaceDlg", [](QDialog& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("検索ｲﾝﾀｰﾌｪｰｽ"));
        EXPECT_EQ(ControlWidget<QLabel>(dlg, 11740)->text(),
                  QString::fromUtf8("同報を送るｲﾝﾀｰﾌｪｰｽ"));
        auto* pList = ControlWidget<QComboBox>(dlg, 1740);
        QStringList listItems;
        for (int i = 0; i < pList->count(); ++i) {
            listItems << pList->itemText(i);
        }
        EXPECT_EQ(listItems, QStringList({QString::fromUtf8("すべてのｲﾝﾀｰﾌｪｰｽ"),
                                          "eth0 (192.168.1.5)", "wlan0 (10.0.0.7)"}));
        EXPECT_EQ(pList->currentIndex(), 1);
        pList->setFocus();
        QTest::keyClick(pList, Qt::Key_Down);
        QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1), Qt::LeftButton);
    });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(model.GetChoice(), "wlan0");
}
