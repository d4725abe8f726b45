#include "gui/MainFrame.h"
#include "MemoryDatagramSocket.h"
#include "doc/OrvixDoc.h"
#include "gui/OrvixView.h"
#include "gui/QtMessagePump.h"
#include "gui/QtUi.h"
#include "platform/Clock.h"
#include "ui/BusyScope.h"
#include "ui/DialogModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {
class MainFrame : public ::testing::Test {
protected:
    MainFrame() : m_ui(&m_frame) {
        std::memset(&m_defParam, 0, sizeof m_defParam);
        m_pDoc =
            std::make_unique<COrvixDoc>(SDocEnv{m_ui, m_pump, m_clock, m_settings, m_defParam, ""},
                                        std::make_unique<CMemoryDatagramSocket>());
        m_frame.SetDocument(m_pDoc.get());
        m_pDoc->UpdateAllViews();
    }
    ~MainFrame() override { m_pDoc.reset(); }

    CSystemClock m_clock;
    CQtMessagePump m_pump;
    CMainFrame m_frame;
    CQtUi m_ui;
    SAppSettings m_settings;
    NODEPARAM m_defParam;
    std::unique_ptr<COrvixDoc> m_pDoc;
};

// Acts on the message box as soon as it is up, from Qt's own loop.
void WhenMessageBoxShows(std::function<void(QMessageBox&)> fn) {
    auto* pTimer = new QTimer;
    QObject::connect(pTimer, &QTimer::timeout, [pTimer, fn] {
        if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            pTimer->stop();
            pTimer->deleteLater();
            fn(*pBox);
        }
    });
    pTimer->start(10);
}

QAbstractButton* ButtonWithText(QMessageBox& box, const char* pszText) {
    for (QAbstractButton* pButton : box.buttons()) {
        if (pButton->text() == QString::fromUtf8(pszText)) {
            return pButton;
        }
    }
    return nullptr;
}
} // namespace

TEST_F(MainFrame, OpensAt620By320WithTheReadyTextAndFiveStatusPanes) {
    EXPECT_EQ(m_frame.size(), QSize(620, 320));
    m_frame.show();
    EXPECT_EQ(m_frame.size(), QSize(620, 320));
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
    EXPECT_EQ(m_frame.statusBar()->findChildren<QLabel*>().size(), 5);
}

TEST_F(MainFrame, CaptionJoinsDocumentTitleAndWindowTitle) {
    EXPECT_EQ(m_frame.windowTitle(),
              QString::fromUtf8("ﾈｯﾄﾜｰｸ未選択 - MRV-620 リモートセットアップ"));
    m_pDoc->AddNetwork("Lab", 0xFFFFFF00u, 0x02020202u);
    EXPECT_EQ(m_frame.windowTitle(), QString::fromUtf8("Lab - MRV-620 リモートセットアップ"));
    // Names are CP932 bytes in the registry: "ﾗﾎﾞ".
    m_pDoc->AddNetwork("\xD7\xCE\xDE", 0xFFFFFF00u, 0x02020202u);
    EXPECT_EQ(m_frame.windowTitle(), QString::fromUtf8("ﾗﾎﾞ - MRV-620 リモートセットアップ"));
    m_pDoc->DeleteCurrentNetwork();
    EXPECT_EQ(m_frame.windowTitle(), QString::fromUtf8("Lab - MRV-620 リモートセットアップ"));
    m_pDoc->DeleteCurrentNetwork();
    EXPECT_EQ(m_frame.windowTitle(),
              QString::fromUtf8("ﾈｯﾄﾜｰｸ未選択 - MRV-620 リモートセットアップ"));
}

TEST_F(MainFrame, BusyScopeTakesTheInputAndLeavesTheStatusBarReadable) {
    m_frame.show();
    auto* pPane = m_frame.findChild<QLabel*>("MessagePane");
    ASSERT_NE(pPane, nullptr);
    {
        CBusyScope busy(m_ui, m_pump, "ﾉｰﾄﾞ検索中");
        EXPECT_FALSE(m_frame.GetView()->isEnabled());
        EXPECT_FALSE(m_frame.menuBar()->isEnabled());
        // Drawn in the enabled colours, not grey on grey.
        EXPECT_TRUE(m_frame.statusBar()->isEnabled());
        EXPECT_TRUE(pPane->isEnabled());
        EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾉｰﾄﾞ検索中"));
    }
    EXPECT_TRUE(m_frame.GetView()->isEnabled());
    EXPECT_TRUE(m_frame.menuBar()->isEnabled());
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
}

TEST_F(MainFrame, WaitCursorNestsAndEnds) {
    m_ui.BeginWaitCursor();
    m_ui.BeginWaitCursor();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::ArrowCursor); // a dialog's own cursor
    m_ui.RestoreWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    m_ui.EndWaitCursor();
    m_ui.EndWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    m_ui.EndWaitCursor(); // one too many is harmless
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainFrame, MessageBoxShowsCaptionTextAndButtonsAndGivesTheAnswer) {
    m_frame.show();
    QString strTitle;
    QString strText;
    QStringList listButtons;
    WhenMessageBoxShows([&](QMessageBox& box) {
        strTitle = box.windowTitle();
        strText = box.text();
        for (QAbstractButton* pButton : box.buttons()) {
            listButtons << pButton->text();
        }
        ButtonWithText(box, "いいえ(&N)")->click();
    });
    EMsgAnswer answer = m_ui.ShowMessage("現在のﾈｯﾄﾜｰｸ設定を削除します。\nよろしいですか?",
                                         EMsgButtons::YesNo, EMsgIcon::Question);
    EXPECT_EQ(answer, EMsgAnswer::No);
    EXPECT_EQ(strTitle, QString::fromUtf8("MRV設定ﾏﾈｰｼﾞｬ"));
    EXPECT_EQ(strText, QString::fromUtf8("現在のﾈｯﾄﾜｰｸ設定を削除します。\nよろしいですか?"));
    listButtons.sort();
    QStringList listExpected{QString::fromUtf8("はい(&Y)"), QString::fromUtf8("いいえ(&N)")};
    listExpected.sort();
    EXPECT_EQ(listButtons, listExpected);
}

TEST_F(MainFrame, MessageBoxWhileTheWindowIsDisabledStillTakesInput) {
    m_frame.show();
    m_ui.EnableMainWindow(false);
    bool bEnabled = false;
    WhenMessageBoxShows([&](QMessageBox& box) {
        bEnabled = box.isEnabled();
        ButtonWithText(box, "OK")->click();
    });
    EXPECT_EQ(m_ui.ShowMessage("MRV-620から応答がありません"), EMsgAnswer::Ok);
    EXPECT_TRUE(bEnabled);
    m_ui.EnableMainWindow(true);
}

// A dialog the program has no form for is a fault: it is reported on screen
// and on standard error, never passed over as a silent cancel.
TEST_F(MainFrame, DialogWithoutAFormIsReportedLoudlyAndCancelled) {
    struct CProbeDlg : CDialogModel {
        const char* GetDialogName() const override { return "CProbeDlg"; }
        SDialogAction OnCommand(CUi&, int) override { return {}; }
    } dlg;
    m_frame.show();
    QString strText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenMessageBoxShows([&](QMessageBox& box) {
        strText = box.text();
        icon = box.icon();
        ButtonWithText(box, "OK")->click();
    });
    ::testing::internal::CaptureStderr();
    int nResult = m_ui.DoModal(dlg);
    std::string strStderr = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(nResult, DIALOG_CANCEL);
    EXPECT_EQ(strText, QString::fromUtf8("内部エラー: 画面 CProbeDlg がありません"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_NE(strStderr.find("内部エラー: 画面 CProbeDlg がありません"), std::string::npos);
}

TEST(MainFrameStart, PortInUseIsReportedOnceAndTheWindowStillOpens) {
    CSystemClock clock;
    CQtMessagePump pump;
    CMainFrame frame;
    CQtUi ui(&frame);
    SAppSettings settings;
    NODEPARAM defParam;
    std::memset(&defParam, 0, sizeof defParam);
    auto pSocket = std::make_unique<CMemoryDatagramSocket>();
    pSocket->SetFailBind(true);
    // Answers every box that shows while the test runs, and counts it.
    QStringList listShown;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            listShown << pBox->text();
            pBox->accept();
        }
    });
    timer.start(10);
    COrvixDoc doc(SDocEnv{ui, pump, clock, settings, defParam, ""}, std::move(pSocket));
    frame.SetDocument(&doc);
    doc.UpdateAllViews();
    frame.show();
    pump.WaitForMessages(100);
    EXPECT_EQ(listShown,
              QStringList{QString::fromUtf8(
                  "通信用のポート(65532)が使用中です。\r\nMRV-620との通信が行なえません。")});
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
}
