// 表示 → 操作履歴 on the real form: the latest entries newest first, read-only,
// following the log while the window is open.
#include "FormBinding.h"
#include "FrameFixture.h"
#include "ModalScript.h"
#include "app/CommandTable.h"
#include "doc/OperationLog.h"
#include "ops/OperationLogDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>

namespace {
class OperationLogView : public CFrameFixture {
protected:
    void SetUp() override {
        // The user's folder is the test's.
        const char* pszOld = std::getenv("XDG_CONFIG_HOME");
        m_bHadConfig = pszOld != nullptr;
        m_strOldConfig = m_bHadConfig ? pszOld : "";
        ::setenv("XDG_CONFIG_HOME", m_dir.Dir().c_str(), 1);
        m_strLog = m_dir.File("mrvmgr/operations.log");
        OpenDoc();
    }
    void TearDown() override {
        if (OperationLogWindow().IsOpen()) {
            OperationLogWindow().OnCommand(m_ui, DIALOG_OK);
        }
        m_bHadConfig ? ::setenv("XDG_CONFIG_HOME", m_strOldConfig.c_str(), 1)
                     : ::unsetenv("XDG_CONFIG_HOME");
    }
    // One entry as mrvctl writes it.
    void Log(const char* pszOperation, const char* pszOutcome, const std::string& strMessage,
             int64_t nTime) {
        COperationLog log("mrvctl", m_strLog);
        SOperationEntry entry;
        entry.nTime = nTime;
        entry.strNetwork = "PLANT";
        entry.strMac = "0080D4500001";
        entry.strIp = "192.168.1.10";
        entry.strOperation = pszOperation;
        entry.strOutcome = pszOutcome;
        entry.strMessage = strMessage;
        ASSERT_EQ(log.Write(entry), 0);
    }
    static QStringList Row(QTreeWidget* pTree, int nRow) {
        QStringList list;
        QTreeWidgetItem* pItem = pTree->topLevelItem(nRow);
        for (int c = 0; pItem != nullptr && c < pItem->columnCount(); ++c) {
            list << pItem->text(c);
        }
        return list;
    }

    std::string m_strLog;
    bool m_bHadConfig = false;
    std::string m_strOldConfig;
};
} // namespace

TEST_F(OperationLogView, ListsTheLatestEntriesNewestFirstAndFollowsTheLog) {
    const int64_t nNow = static_cast<int64_t>(std::time(nullptr));
    Log(OPLOG_NODE_ADD, OPLOG_OK, "", nNow - 60);
    Log(OPLOG_MODE, OPLOG_FAILED, "MRV-620から応答がありません", nNow - 30);
    Log(OPLOG_COMMISSION, OPLOG_MISMATCH, "ip, Mtu", nNow);
    m_frame.RunCommand(ID_VIEW_OPERATION_LOG);
    CDialogView* pView = m_ui.GetModelessView(OperationLogWindow());
    ASSERT_NE(pView, nullptr);
    EXPECT_TRUE(pView->isVisible());
    EXPECT_FALSE(pView->isModal());
    EXPECT_EQ(pView->windowTitle(), QString::fromUtf8("操作履歴"));
    auto* pTree = ControlWidget<QTreeWidget>(*pView, IDC_OPLOG_LIST);
    QTreeWidgetItem* pHeader = pTree->headerItem();
    EXPECT_EQ(pHeader->text(0), QString::fromUtf8("日時"));
    EXPECT_EQ(pHeader->text(1), QString::fromUtf8("ﾉｰﾄﾞ"));
    EXPECT_EQ(pHeader->text(2), QString::fromUtf8("操作"));
    EXPECT_EQ(pHeader->text(3), QString::fromUtf8("結果"));
    ASSERT_EQ(pTree->topLevelItemCount(), 3);
    const QString strNewest =
        QString::fromStdString(FormatLogTime(nNow).substr(0, 19)).replace('T', ' ');
    EXPECT_EQ(Row(pTree, 0), (QStringList{strNewest, "0080D4500001", QString::fromUtf8("一括構成"),
                                          QString::fromUtf8("不一致 (ip, Mtu)")}));
    EXPECT_EQ(Row(pTree, 1).mid(2),
              (QStringList{QString::fromUtf8("ﾓｰﾄﾞ変更"),
                           QString::fromUtf8("失敗 (MRV-620から応答がありません)")}));
    EXPECT_EQ(Row(pTree, 2).mid(2),
              (QStringList{QString::fromUtf8("ﾉｰﾄﾞ登録"), QString::fromUtf8("成功")}));
    EXPECT_TRUE(ControlWidget<QLabel>(*pView, IDC_OPLOG_FOOTER)
                    ->text()
                    .endsWith(QString::fromUtf8("(最新 3 件 / 全 3 件)")));

    // Another program's change shows while the window is open.
    Log(OPLOG_NODE_DELETE, OPLOG_OK, "", nNow + 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pTree->topLevelItemCount() == 4; }, 5000));
    EXPECT_EQ(Row(pTree, 0).at(2), QString::fromUtf8("ﾉｰﾄﾞ削除"));

    // Its button closes it.
    QTest::mouseClick(ControlWidget<QPushButton>(*pView, DIALOG_OK), Qt::LeftButton);
    EXPECT_EQ(m_ui.GetModelessView(OperationLogWindow()), nullptr);
    EXPECT_FALSE(OperationLogWindow().IsOpen());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(OperationLogView, TheFormBindsItsTableAndAMissingLogIsAnEmptyList) {
    ExpectFormBindsItsTable(OperationLogWindow(), m_ui);
    m_frame.RunCommand(ID_VIEW_OPERATION_LOG);
    CDialogView* pView = m_ui.GetModelessView(OperationLogWindow());
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(ControlWidget<QTreeWidget>(*pView, IDC_OPLOG_LIST)->topLevelItemCount(), 0);
    // Escape closes it as the close box does.
    QTest::keyClick(pView, Qt::Key_Escape);
    EXPECT_FALSE(OperationLogWindow().IsOpen());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(OperationLogView, ALogItCannotWriteIsANoticeThatWaitsForNobody) {
    // A file where the log's folder should be.
    std::filesystem::remove_all(m_dir.File("mrvmgr"));
    CScratchDir::Write(m_dir.File("mrvmgr"), "x");
    COperationLog log("mrvmgr", m_strLog);
    SDocEnv env{m_ui, m_pump, m_clock, m_settings, m_paramFile.m_param, ""};
    env.pLog = &log;
    m_frame.SetDocument(nullptr);
    m_pDoc = std::make_unique<COrvixDoc>(env, std::make_unique<CMemoryDatagramSocket>());
    m_frame.SetDocument(m_pDoc.get());
    m_pDoc->AddNetwork("PLANT", 0xFFFFFF00u, 0x02020202u);
    m_pDoc->LogOperation(OPLOG_NETWORK_ADD, "", 0, OPLOG_OK);
    m_pDoc->LogOperation(OPLOG_NETWORK_ADD, "", 0, OPLOG_OK);
    // The calls came back at once; one notice is up, modeless.
    QList<QMessageBox*> listNotices;
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget->objectName() == "Notice" && pWidget->isVisible()) {
            listNotices << qobject_cast<QMessageBox*>(pWidget);
        }
    }
    for (QMessageBox* pBox : m_frame.findChildren<QMessageBox*>("Notice")) {
        if (!listNotices.contains(pBox) && pBox->isVisible()) {
            listNotices << pBox;
        }
    }
    ASSERT_EQ(listNotices.size(), 1);
    EXPECT_FALSE(listNotices[0]->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(listNotices[0]->text().startsWith(QString::fromUtf8("操作履歴に書き込めません(")));
    listNotices[0]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
