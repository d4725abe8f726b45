// The forms of the batch download on the generic view: the choice of the
// target nodes and the progress window.
#include "ModalScript.h"
#include "gui/DialogView.h"
#include "gui/QtUi.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/DownloadTargetDlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {
QStringList Items(QListWidget* pList) {
    QStringList list;
    for (int i = 0; i < pList->count(); ++i) {
        list << pList->item(i)->text();
    }
    return list;
}

QStringList Row(QTreeWidget* pTree, int nRow) {
    QStringList list;
    QTreeWidgetItem* pItem = pTree->topLevelItem(nRow);
    for (int c = 0; pItem != nullptr && c < pItem->columnCount(); ++c) {
        list << pItem->text(c);
    }
    return list;
}

void ClickRow(QListWidget* pList, int nRow) {
    QRect rect = pList->visualItemRect(pList->item(nRow));
    QTest::mouseClick(pList->viewport(), Qt::LeftButton, {}, rect.center());
}

void DoubleClickRow(QListWidget* pList, int nRow) {
    DoubleClickAt(pList->viewport(), pList->visualItemRect(pList->item(nRow)).center());
}

QString Registered(int nCount) {
    QStringList list;
    for (int n = 1; n <= nCount; ++n) {
        list << QString("10.0.0.%1").arg(n);
    }
    return list.join(',');
}
} // namespace

TEST(DownloadTargetDlgView, AllAddsSixteenAfterItsMessageAndTheButtonsMoveEntries) {
    CDownloadTargetDlg model(Registered(17).toStdString());
    CQtUi ui;
    CModalScript script;
    QString strMessage;
    QString strFull;
    script
        .OnDialog("CDownloadTargetDlg",
                  [&](QDialog& dlg) {
                      EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("一括ダウンロード先"));
                      EXPECT_EQ(ControlWidget<QLabel>(dlg, 11154)->text(),
                                QString::fromUtf8("登録ノード"));
                      EXPECT_EQ(ControlWidget<QLabel>(dlg, 11155)->text(),
                                QString::fromUtf8("ダウンロード先ノードリスト"));
                      EXPECT_EQ(Items(ControlWidget<QListWidget>(dlg, 1154)).size(), 17);
                      EXPECT_FALSE(ControlWidget<QPushButton>(dlg, 1)->isEnabled());
                      QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1160), Qt::LeftButton);
                  })
        .AcknowledgeMessage(&strMessage)
        .OnDialog("CDownloadTargetDlg",
                  [&](QDialog& dlg) {
                      auto* pTargets = ControlWidget<QListWidget>(dlg, 1155);
                      EXPECT_EQ(Items(pTargets).size(), 16);
                      EXPECT_EQ(Items(pTargets).last(), "10.0.0.16");
                      EXPECT_TRUE(ControlWidget<QPushButton>(dlg, 1)->isEnabled());
                      DoubleClickRow(ControlWidget<QListWidget>(dlg, 1154), 16);
                  })
        .AcknowledgeMessage(&strFull)
        .OnDialog("CDownloadTargetDlg", [&](QDialog& dlg) {
            auto* pTargets = ControlWidget<QListWidget>(dlg, 1155);
            EXPECT_EQ(Items(pTargets).size(), 16);
            // Out with a double click and with "<<", the seventeenth in with ">>".
            DoubleClickRow(pTargets, 0);
            ClickRow(pTargets, 0);
            QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1151), Qt::LeftButton);
            ClickRow(ControlWidget<QListWidget>(dlg, 1154), 16);
            QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1150), Qt::LeftButton);
            EXPECT_EQ(Items(pTargets).size(), 15);
            EXPECT_EQ(Items(pTargets).first(), "10.0.0.3");
            EXPECT_EQ(Items(pTargets).last(), "10.0.0.17");
            QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1), Qt::LeftButton);
        });
    EXPECT_EQ(ui.DoModal(model), DIALOG_OK);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(strMessage,
              QString::fromUtf8(
                  "一度にダウンロード可能なノード数は16台です。\r\n"
                  "「登録ノード」の上位16台を「ダウンロード先ノードリスト」に追加します。"));
    EXPECT_EQ(strFull, QString::fromUtf8("一度にダウンロード可能なノード数は16台までです。"));
    std::string strExpected;
    for (int n = 3; n <= 17; ++n) {
        strExpected +=
            (strExpected.empty() ? "" : ",") + std::string("10.0.0.") + std::to_string(n);
    }
    EXPECT_EQ(model.GetTargetText(), strExpected);
}

TEST(DownloadProgressDlgView, RowsFollowTheBatchAndOkClosesOnlyAtItsEnd) {
    CDownloadProgressDlg model;
    CQtUi ui;
    model.Begin(ui, "10.0.0.1,10.0.0.2", "/x/app.mot");
    CDialogView* pView = ui.GetModelessView(model);
    ASSERT_NE(pView, nullptr);
    EXPECT_TRUE(pView->isVisible());
    EXPECT_FALSE(pView->isModal());
    EXPECT_EQ(pView->windowTitle(), QString::fromUtf8("一括ダウンロード情報"));
    auto* pTree = ControlWidget<QTreeWidget>(*pView, 1158);
    QTreeWidgetItem* pHeader = pTree->headerItem();
    EXPECT_EQ(pHeader->text(0), QString::fromUtf8("IPアドレス"));
    EXPECT_EQ(pHeader->text(1), QString::fromUtf8("状態"));
    EXPECT_EQ(pHeader->text(2), QString::fromUtf8("結果"));
    EXPECT_EQ(pTree->columnWidth(0), 110);
    EXPECT_EQ(pTree->columnWidth(1), 110);
    EXPECT_EQ(pTree->columnWidth(2), 80);
    EXPECT_EQ(Row(pTree, 0),
              (QStringList{"10.0.0.1", QString::fromUtf8("未実施"), QString::fromUtf8("－")}));
    EXPECT_EQ(pTree->topLevelItemCount(), 2);
    auto* pOk = ControlWidget<QPushButton>(*pView, 1);
    EXPECT_FALSE(pOk->isEnabled());
    EXPECT_FALSE(ControlWidget<QPushButton>(*pView, 1161)->isVisible());

    model.SetRowState(ui, 0, "ダウンロード中", "－");
    EXPECT_EQ(Row(pTree, 0), (QStringList{"10.0.0.1", QString::fromUtf8("ダウンロード中"),
                                          QString::fromUtf8("－")}));
    model.SetRowState(ui, 0, "ダウンロード済み", "OK");
    model.SetRowState(ui, 1, "設定取得エラー", "NG");
    EXPECT_EQ(Row(pTree, 1), (QStringList{"10.0.0.2", QString::fromUtf8("設定取得エラー"), "NG"}));

    // Enter and Escape while the batch runs leave it open.
    QTest::keyClick(pView, Qt::Key_Return);
    QTest::keyClick(pView, Qt::Key_Escape);
    EXPECT_TRUE(pView->isVisible());
    EXPECT_EQ(ui.GetModelessView(model), pView);
    EXPECT_TRUE(model.IsStopRequested());

    // A retry pass shows only the failed row.
    model.RebuildRows(ui, "********,10.0.0.2");
    EXPECT_EQ(pTree->topLevelItemCount(), 1);
    EXPECT_EQ(Row(pTree, 0),
              (QStringList{"10.0.0.2", QString::fromUtf8("未実施"), QString::fromUtf8("－")}));

    model.End(ui);
    EXPECT_TRUE(pOk->isEnabled());
    QTest::mouseClick(pOk, Qt::LeftButton);
    EXPECT_EQ(ui.GetModelessView(model), nullptr);
    EXPECT_FALSE(model.IsOpen());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Each form has a widget of the right class for every control of its table,
// and no widget stands for a control the table does not know.
TEST(BatchDialogForms, EveryFormBindsEveryControlOfItsTable) {
    CQtUi ui;
    CDownloadTargetDlg target("10.0.0.1");
    CDownloadProgressDlg progress;
    for (CDialogModel* pModel : std::vector<CDialogModel*>{&target, &progress}) {
        auto pView = CDialogView::Create(*pModel, ui, nullptr);
        ASSERT_NE(pView, nullptr) << pModel->GetDialogName();
        EXPECT_EQ(pView->objectName(), pModel->GetDialogName());
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
