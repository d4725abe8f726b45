// The manager's window as an operator sees it, on a virtual X display (Xvfb)
// with real fonts, against simulated nodes on a test network: the node list
// with silent marks at the default size, and a batch download with its final
// message. Each test checks what it shows and saves a screenshot (PNG) to
// $MRVT_SCREENS, else to screens/ in the working folder.
#include "RawNodeClient.h"
#include "ScratchDir.h"
#include "VirtualDisplay.h"
#include "app/CommandTable.h"
#include "app/OrvixApp.h"
#include "doc/OrvixDoc.h"
#include "gui/MainFrame.h"
#include "gui/ManagerSession.h"
#include "gui/ModalScript.h"
#include "gui/OrvixView.h"
#include "platform/PosixDatagramSocket.h"

#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {
const std::string GOOD_IMAGE = "S0100000544553544150502056312E303297\r\n"
                               "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                               "S9030000FC\r\n";

std::string ScreenshotPath(const char* pszName) {
    const char* pszDir = std::getenv("MRVT_SCREENS");
    fs::path dir = pszDir != nullptr && *pszDir != '\0' ? fs::path(pszDir) : fs::path("screens");
    fs::create_directories(dir);
    return fs::absolute(dir / pszName).string();
}

// The screen's picture of a rectangle, as the X server holds it.
bool SaveScreen(const QRect& rc, const char* pszName) {
    QCoreApplication::processEvents();
    QPixmap pixmap =
        QGuiApplication::primaryScreen()->grabWindow(0, rc.x(), rc.y(), rc.width(), rc.height());
    std::string strPath = ScreenshotPath(pszName);
    std::printf("screenshot %s\n", strPath.c_str());
    return pixmap.save(QString::fromStdString(strPath), "PNG");
}

QWidget* ShownWindow(const char* pszName) {
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget->objectName() == QString::fromUtf8(pszName) && pWidget->isVisible()) {
            return pWidget;
        }
    }
    return nullptr;
}

class ManagerScreens : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_EQ(QGuiApplication::platformName(), "xcb");
        setenv("XDG_CONFIG_HOME", m_dir.Dir().c_str(), 1);
        setenv("TMPDIR", m_dir.Dir().c_str(), 1);
        m_pApp = std::make_unique<COrvixApp>(m_dir.File("mrvmgr"), "");
        m_pSession = std::make_unique<CManagerSession>(*m_pApp);
        m_pSession->OpenDocument(m_dir.File("mrvmgr.dat"),
                                 std::make_unique<CPosixDatagramSocket>());
        m_pSession->UseSystemInterfaces();
        Frame().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
        // The nodes, found by a search and ordered by MAC.
        m_pSession->GetDoc()->AddNetwork("LINE-S", 0xFFFFFF00u, 0xC0A80101u);
        Frame().RunCommand(ID_NODE_SEARCH);
        ASSERT_EQ(View().GetRowCount(), 24);
        QHeaderView* pHeader = View().header();
        QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, {},
                          QPoint(pHeader->sectionViewportPosition(3) + 10, pHeader->height() / 2));
        ASSERT_EQ(View().GetCellText(9, 3).toStdString(), "0080D4500010");
    }
    void TearDown() override {
        m_pSession.reset();
        m_pApp.reset();
    }

    CMainFrame& Frame() { return m_pSession->GetFrame(); }
    COrvixView& View() { return *Frame().GetView(); }

    CScratchDir m_dir;
    std::unique_ptr<COrvixApp> m_pApp;
    std::unique_ptr<CManagerSession> m_pSession;
};
} // namespace

// The default window, more rows than it shows, three of them silent (rows 2,
// 10 and 12) and row 5 selected before the search that marked them.
TEST_F(ManagerScreens, SilentMarksInTheList) {
    QRect rcRow = View().visualRect(View().model()->index(4, 1));
    QTest::mouseClick(View().viewport(), Qt::LeftButton, {}, rcRow.center());
    ASSERT_EQ(View().GetSelectedIndex(), 4);
    CSimControlClient control;
    ASSERT_TRUE(control.IsOpen());
    for (const char* pszMac : {"0080D4500002", "0080D4500010", "0080D4500012"}) {
        ASSERT_NE(control.Request(std::string("FAULT ") + pszMac + " silent on").find("OK"),
                  std::string::npos);
    }
    Frame().RunCommand(ID_NODE_SEARCH);
    ASSERT_EQ(View().GetRowCount(), 24);
    auto& model = static_cast<CNodeListItemModel&>(*View().model());
    std::set<int> setSilent;
    for (int i = 0; i < View().GetRowCount(); ++i) {
        if (model.IsSilentRow(i)) {
            setSilent.insert(i);
        }
    }
    EXPECT_EQ(setSilent, (std::set<int>{1, 9, 11}));
    // The selection is where it was, the columns fit beside the vertical bar.
    EXPECT_EQ(View().GetSelectedIndex(), 4);
    EXPECT_EQ(View().GetCellText(4, 3).toStdString(), "0080D4500005");
    EXPECT_EQ(Frame().size(), QSize(CMainFrame::FRAME_WIDTH, CMainFrame::FRAME_HEIGHT));
    EXPECT_TRUE(View().verticalScrollBar()->isVisible());
    EXPECT_FALSE(View().horizontalScrollBar()->isVisible());
    EXPECT_TRUE(SaveScreen(Frame().frameGeometry(), "manager-silent-marks.png"));
}

// An application batch to three nodes; its final message stands below or
// beside the progress window, whose rows stay in view.
TEST_F(ManagerScreens, BatchWithItsFinalMessage) {
    std::string strImage = m_dir.File("TESTAPP.mot");
    std::ofstream(strImage, std::ios::binary) << GOOD_IMAGE;
    m_pSession->GetUi().SetFileChooser([strImage](const SFileChoice&, std::string& strPath) {
        strPath = strImage;
        return true;
    });
    QString strFinal;
    QRect rcBox;
    QRect rcProgress;
    QStringList listStates;
    CModalScript script(120000);
    script
        .OnDialog("CDownloadTargetDlg",
                  [](QDialog& dlg) {
                      auto* pList = ControlWidget<QListWidget>(dlg, 1154);
                      for (int nRow : {0, 1, 2}) {
                          DoubleClickListRow(pList, nRow);
                      }
                      ControlWidget<QPushButton>(dlg, 1)->click();
                  })
        .OnMessageBox([](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); })
        .OnMessageBox([&](QMessageBox& box) {
            strFinal = box.text();
            rcBox = box.frameGeometry();
            QWidget* pProgress = ShownWindow("CDownloadProgressDlg");
            if (pProgress != nullptr) {
                rcProgress = pProgress->frameGeometry();
                auto* pTree = pProgress->findChild<QTreeWidget*>("id1158");
                for (int i = 0; pTree != nullptr && i < pTree->topLevelItemCount(); ++i) {
                    listStates << pTree->topLevelItem(i)->text(1);
                }
                EXPECT_TRUE(SaveScreen(rcBox.united(rcProgress).united(Frame().frameGeometry()),
                                       "manager-batch-final.png"));
            }
            box.button(QMessageBox::Ok)->click();
        });
    Frame().RunCommand(ID_APP_DOWNLOAD_BATCH);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(strFinal.toStdString(), "全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡");
    EXPECT_EQ(listStates, QStringList(3, QString::fromUtf8("ダウンロード済み")));
    ASSERT_FALSE(rcProgress.isEmpty());
    EXPECT_FALSE(rcBox.intersects(rcProgress));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(rcBox));
    QWidget* pProgress = ShownWindow("CDownloadProgressDlg");
    ASSERT_NE(pProgress, nullptr);
    pProgress->findChild<QPushButton*>("id1")->click();
}

// A display of its own for the run; the list of tests is read without one.
int main(int argc, char** argv) {
    bool bListing = false;
    for (int i = 1; i < argc; ++i) {
        bListing = bListing || std::string(argv[i]) == "--gtest_list_tests";
    }
    std::unique_ptr<CVirtualDisplay> pDisplay;
    if (bListing) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else {
        pDisplay = std::make_unique<CVirtualDisplay>();
        if (pDisplay->Number().empty()) {
            std::fprintf(stderr, "no virtual display could be started (Xvfb)\n");
            return 1;
        }
        setenv("DISPLAY", (":" + pDisplay->Number()).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
    int nResult = 0;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        nResult = RUN_ALL_TESTS();
    }
    return nResult;
}
