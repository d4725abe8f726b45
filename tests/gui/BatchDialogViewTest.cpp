// The forms of the batch download on the generic view: the choice of the
// target nodes and the progress window.
#include "FormBinding.h"
#include "FrameFixture.h"
#include "ModalScript.h"
#include "gui/DialogView.h"
#include "gui/QtMessagePump.h"
#include "gui/QtUi.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/DownloadTargetDlg.h"
#include "platform/PumpClock.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {
QStringList Row(QTreeWidget* pTree, int nRow) {
    QStringList list;
    QTreeWidgetItem* pItem = pTree->topLevelItem(nRow);
    for (int c = 0; pItem != nullptr && c < pItem->columnCount(); ++c) {
        list << pItem->text(c);
    }
    return list;
}

QString Registered(int nCount) {
    QStringList list;
    for (int n = 1; n <= nCount; ++n) {
        list << QString("10.0.0.%1").arg(n);
    }
    return list.join(',');
}
// Counts the paints of a widget.
class CPaintCount : public QObject {
public:
    int m_nPaints = 0;

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override {
        if (pEvent->type() == QEvent::Paint) {
            ++m_nPaints;
        }
        return QObject::eventFilter(pObject, pEvent);
    }
};
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
                      EXPECT_EQ(ListItemTexts(ControlWidget<QListWidget>(dlg, 1154)).size(), 17);
                      EXPECT_FALSE(ControlWidget<QPushButton>(dlg, 1)->isEnabled());
                      QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1160), Qt::LeftButton);
                  })
        .AcknowledgeMessage(&strMessage)
        .OnDialog("CDownloadTargetDlg",
                  [&](QDialog& dlg) {
                      auto* pTargets = ControlWidget<QListWidget>(dlg, 1155);
                      EXPECT_EQ(ListItemTexts(pTargets).size(), 16);
                      EXPECT_EQ(ListItemTexts(pTargets).last(), "10.0.0.16");
                      EXPECT_TRUE(ControlWidget<QPushButton>(dlg, 1)->isEnabled());
                      DoubleClickListRow(ControlWidget<QListWidget>(dlg, 1154), 16);
                  })
        .AcknowledgeMessage(&strFull)
        .OnDialog("CDownloadTargetDlg", [&](QDialog& dlg) {
            auto* pTargets = ControlWidget<QListWidget>(dlg, 1155);
            EXPECT_EQ(ListItemTexts(pTargets).size(), 16);
            // Out with a double click and with "<<", the seventeenth in with ">>".
            DoubleClickListRow(pTargets, 0);
            ClickListRow(pTargets, 0);
            QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1151), Qt::LeftButton);
            ClickListRow(ControlWidget<QListWidget>(dlg, 1154), 16);
            QTest::mouseClick(ControlWidget<QPushButton>(dlg, 1150), Qt::LeftButton);
            EXPECT_EQ(ListItemTexts(pTargets).size(), 15);
            EXPECT_EQ(ListItemTexts(pTargets).first(), "10.0.0.3");
            EXPECT_EQ(ListItemTexts(pTargets).last(), "10.0.0.17");
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
    ExpectFormBindsItsTable(target, ui);
    ExpectFormBindsItsTable(progress, ui);
}

// A row changed just before the restart pause is on screen during it, not
// only once the batch waits for a reply again.
TEST(DownloadProgressDlgView, RowChangedBeforeAPauseIsPaintedDuringIt) {
    CDownloadProgressDlg model;
    CQtUi ui;
    CQtMessagePump pump;
    CPumpClock clock(pump);
    model.Begin(ui, "10.0.0.1", "/x/app.mot");
    CDialogView* pView = ui.GetModelessView(model);
    ASSERT_NE(pView, nullptr);
    auto* pTree = ControlWidget<QTreeWidget>(*pView, 1158);
    QCoreApplication::processEvents();
    CPaintCount count;
    pTree->viewport()->installEventFilter(&count);

    model.SetRowState(ui, 0, "準備中", "－");
    clock.Sleep(100);
    EXPECT_GT(count.m_nPaints, 0);
    EXPECT_EQ(Row(pTree, 0),
              (QStringList{"10.0.0.1", QString::fromUtf8("準備中"), QString::fromUtf8("－")}));
    pTree->viewport()->removeEventFilter(&count);
    model.End(ui);
    model.OnCommand(ui, DIALOG_OK);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// While the batch runs the window offers nothing to close, shrink or stretch
// it with: a caption only, fixed in size.
TEST(DownloadProgressDlgView, AFixedWindowWithACaptionAndNoCloseBox) {
    CDownloadProgressDlg model;
    CQtUi ui;
    model.Begin(ui, "10.0.0.1,10.0.0.2", "/x/app.mot");
    CDialogView* pView = ui.GetModelessView(model);
    ASSERT_NE(pView, nullptr);
    Qt::WindowFlags flags = pView->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    for (Qt::WindowType hint : {Qt::WindowCloseButtonHint, Qt::WindowMinimizeButtonHint,
                                Qt::WindowMaximizeButtonHint, Qt::WindowSystemMenuHint}) {
        EXPECT_FALSE(flags.testFlag(hint)) << hint;
    }
    EXPECT_EQ(pView->minimumSize(), pView->maximumSize());
    EXPECT_TRUE(pView->isVisible());
    model.End(ui);
    model.OnCommand(ui, DIALOG_OK);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

namespace {
class BatchMessages : public CFrameFixture {
protected:
    BatchMessages() {
        OpenDoc();
        m_frame.show();
    }
};
} // namespace

// The batch's questions and final messages leave its progress window in
// view: the rows they talk about stay readable.
TEST_F(BatchMessages, AMessageBoxLeavesTheProgressWindowInView) {
    CDownloadProgressDlg model;
    model.Begin(m_ui, "10.0.0.1,10.0.0.2,10.0.0.3", "/x/app.mot");
    CDialogView* pProgress = m_ui.GetModelessView(model);
    ASSERT_NE(pProgress, nullptr);
    QRect rcScreen = m_frame.screen()->availableGeometry();
    for (EMsgButtons buttons : {EMsgButtons::OkCancel, EMsgButtons::Ok}) {
        QRect rcBox;
        CModalScript script;
        script.OnMessageBox([&](QMessageBox& box) {
            rcBox = box.frameGeometry();
            box.button(QMessageBox::Ok)->click();
        });
        m_ui.MessageBox("ﾀﾞｳﾝﾛｰﾄﾞNGのﾉｰﾄﾞにﾘﾄﾗｲしますか？", buttons, EMsgIcon::Question,
                        "MRV設定ﾏﾈｰｼﾞｬ");
        EXPECT_TRUE(script.Done());
        EXPECT_FALSE(rcBox.intersects(pProgress->frameGeometry()))
            << rcBox.x() << "," << rcBox.y() << " " << rcBox.width() << "x" << rcBox.height();
        EXPECT_TRUE(rcScreen.contains(rcBox));
    }
    model.End(m_ui);
    model.OnCommand(m_ui, DIALOG_OK);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
