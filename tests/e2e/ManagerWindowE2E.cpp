// The manager's window on a test network with the simulated nodes of the
// demo (scripts/demo-nodes.cfg): an operator registers a network through its
// dialog, searches from the menu, and finds the nodes in the list. Real
// sockets, the Qt pump, the real window offscreen, the data file on disk.
#include "RawNodeClient.h"
#include "ScratchDir.h"
#include "ScriptedUi.h"
#include "app/OrvixApp.h"
#include "doc/OrvixDoc.h"
#include "gui/MainFrame.h"
#include "gui/ManagerSession.h"
#include "gui/ModalScript.h"
#include "gui/OrvixView.h"
#include "gui/RecentFiles.h"
#include "ops/SearchInterface.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>

namespace {
// The status bar's pane of the search counts.
std::string CountsText(const CMainFrame& frame) {
    const auto* pPane = frame.statusBar()->findChild<QLabel*>("SearchCountsPane");
    return pPane != nullptr ? pPane->text().toStdString() : std::string("(no pane)");
}

QStringList Column(const COrvixView& view, int nColumn) {
    QStringList list;
    for (int i = 0; i < view.GetRowCount(); ++i) {
        list << view.GetCellText(i, nColumn);
    }
    return list;
}

// A menu's item by its text, as the operator finds it.
QAction* ItemOf(const QMenu* pMenu, const char* pszText) {
    for (QAction* pAction : pMenu->actions()) {
        if (pAction->text() == QString::fromUtf8(pszText)) {
            return pAction;
        }
    }
    return nullptr;
}

QMenu* MenuOf(CMainFrame& frame, const char* pszTitle) {
    for (QAction* pTop : frame.menuBar()->actions()) {
        if (pTop->text() == QString::fromUtf8(pszTitle)) {
            return pTop->menu();
        }
    }
    return nullptr;
}

// Opens a menu and chooses an item, as with the mouse.
void Choose(CMainFrame& frame, const char* pszMenu, const char* pszItem) {
    QMenu* pMenu = MenuOf(frame, pszMenu);
    ASSERT_NE(pMenu, nullptr) << pszMenu;
    pMenu->popup(frame.mapToGlobal(QPoint(0, 0)));
    QAction* pItem = ItemOf(pMenu, pszItem);
    ASSERT_NE(pItem, nullptr) << pszItem;
    ASSERT_TRUE(pItem->isEnabled()) << pszItem;
    QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pItem).center());
}

class ManagerWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
    }
};
} // namespace

TEST_F(ManagerWindow, RegisterANetworkSearchAndSeeTheDemoNodesInTheList) {
    CScratchDir dir;
    // The program's files beside a program in the scratch folder.
    COrvixApp app(dir.File("mrvmgr"), "");
    std::string strData = dir.File("mrvmgr.dat");
    {
        CManagerSession session(app);
        session.OpenDocument(strData, std::make_unique<CPosixDatagramSocket>());
        CMainFrame& frame = session.GetFrame();
        frame.show();
        COrvixView& view = *frame.GetView();

        // ﾈｯﾄﾜｰｸ → 新規登録: the network dialog, a name typed, OK.
        CModalScript script;
        script.OnDialog("CNetworkDlg", [](QDialog& dlg) {
            auto* pName = ControlWidget<QLineEdit>(dlg, 1500);
            pName->setFocus();
            QTest::keyClicks(pName, "LINE-A");
            ControlWidget<QPushButton>(dlg, 1)->click();
        });
        Choose(frame, "ﾈｯﾄﾜｰｸ(&N)", "新規登録(&N)...");
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(frame.windowTitle().toStdString(), "LINE-A - MRV-620 リモートセットアップ");
        EXPECT_EQ(view.GetRowCount(), 0);

        // 管理 → 検索: the six nodes of the demo come into the list.
        int nRebuilds = view.GetRebuildCount();
        Choose(frame, "管理(&T)", "検索(&S)");
        EXPECT_EQ(view.GetRowCount(), 6);
        EXPECT_EQ(view.GetRebuildCount(), nRebuilds + 1);
        EXPECT_EQ(Column(view, 0), QStringList({"1", "2", "3", "4", "5", "6"}));
        EXPECT_TRUE(frame.isEnabled());
        // The search ends ready, its counts in their own pane.
        EXPECT_EQ(frame.GetStatusText().toStdString(), "ﾚﾃﾞｨ");
        EXPECT_EQ(CountsText(frame), "応答 6 / 登録 6 / 無応答 0");
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

        // Sorted by address (the replies came in any order): the MACs with them.
        QHeaderView* pHeader = view.header();
        QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, {},
                          QPoint(pHeader->sectionViewportPosition(4) + 10, pHeader->height() / 2));
        EXPECT_EQ(Column(view, 4),
                  QStringList({"192.168.1.11", "192.168.1.12", "192.168.1.13", "192.168.2.14",
                               "192.168.200.254", "192.168.200.254"}));
        QStringList listMacs = Column(view, 3);
        EXPECT_EQ(listMacs.mid(0, 4),
                  QStringList({"0080D4200001", "0080D4200002", "0080D4200003", "0080D4200004"}));
        QStringList listUnset = listMacs.mid(4);
        listUnset.sort();
        EXPECT_EQ(listUnset, QStringList({"0080D4200005", "0080D4200006"}));
        EXPECT_EQ(Column(view, 1), QStringList(6, QString::fromUtf8("MRV-620ｼﾘｰｽﾞ")));
    }

    // The run ended: the data file holds the network with its six nodes.
    CScratchDir copy;
    CScratchDir::Write(copy.File("copy.dat"), CScratchDir::Read(strData));
    CScriptedUi ui;
    CSystemClock clock;
    CPollMessagePump pump;
    SAppSettings settings;
    NODEPARAM param{};
    COrvixDoc doc(SDocEnv{ui, pump, clock, settings, param, copy.File("copy.dat")},
                  std::make_unique<CPosixDatagramSocket>());
    ASSERT_EQ(doc.GetNetCount(), 1);
    EXPECT_EQ(doc.m_arrNets[0]->m_strName, "LINE-A");
    EXPECT_EQ(doc.m_arrNets[0]->m_arrNodes.size(), 6u);
}

TEST_F(ManagerWindow, SilentNodesAreMarkedInTheListUntilTheyAnswerAgain) {
    CScratchDir dir;
    // The per-user settings go to the scratch folder.
    setenv("XDG_CONFIG_HOME", dir.Dir().c_str(), 1);
    COrvixApp app(dir.File("mrvmgr"), "");
    CManagerSession session(app);
    session.OpenDocument(dir.File("mrvmgr.dat"), std::make_unique<CPosixDatagramSocket>());
    session.UseSystemInterfaces();
    CMainFrame& frame = session.GetFrame();
    frame.show();
    COrvixView& view = *frame.GetView();
    COrvixDoc& doc = *session.GetDoc();
    doc.AddNetwork("LINE-A", 0xFFFFFF00u, 0xC0A80101u);
    auto& model = static_cast<CNodeListItemModel&>(*view.model());
    // MAC -> tooltip of every marked row.
    auto Marked = [&] {
        std::map<std::string, std::string> map;
        for (int i = 0; i < view.GetRowCount(); ++i) {
            if (model.IsSilentRow(i)) {
                map[view.GetCellText(i, 3).toStdString()] =
                    model.data(model.index(i, 0), Qt::ToolTipRole).toString().toStdString();
            }
        }
        return map;
    };

    Choose(frame, "管理(&T)", "検索(&S)");
    ASSERT_EQ(view.GetRowCount(), 6);
    EXPECT_TRUE(Marked().empty());

    CSimControlClient control;
    ASSERT_TRUE(control.IsOpen());
    ASSERT_NE(control.Request("FAULT 0080D4200002 silent on").find("OK"), std::string::npos);
    ASSERT_NE(control.Request("FAULT 0080D4200005 silent on").find("OK"), std::string::npos);
    Choose(frame, "管理(&T)", "検索(&S)");
    ASSERT_EQ(view.GetRowCount(), 6);
    std::map<std::string, std::string> mapMarked = Marked();
    ASSERT_EQ(mapMarked.size(), 2u);
    for (const char* pszMac : {"0080D4200002", "0080D4200005"}) {
        const std::string& strTip = mapMarked[pszMac];
        // "...\n最後の応答: YYYY/MM/DD hh:mm:ss (pc0)"
        EXPECT_EQ(strTip.rfind("前回の検索に応答しませんでした\n最後の応答: ", 0), 0u) << strTip;
        EXPECT_EQ(strTip.substr(strTip.size() - 6), " (pc0)") << strTip;
    }
    EXPECT_EQ(CountsText(frame), "応答 4 / 登録 6 / 無応答 2");

    ASSERT_NE(control.Request("FAULT 0080D4200002 silent off").find("OK"), std::string::npos);
    ASSERT_NE(control.Request("FAULT 0080D4200005 silent off").find("OK"), std::string::npos);
    Choose(frame, "管理(&T)", "検索(&S)");
    EXPECT_TRUE(Marked().empty());
    EXPECT_EQ(CountsText(frame), "応答 6 / 登録 6 / 無応答 0");

    // The interface choice is kept in the per-user settings.
    ASSERT_TRUE(SetSearchInterface(doc, "pc0"));
    EXPECT_EQ(ReadSearchInterface(*OpenUserSettings()).toStdString(), "pc0");
    ASSERT_TRUE(SetSearchInterface(doc, ""));
    EXPECT_TRUE(ReadSearchInterface(*OpenUserSettings()).isEmpty());
}

// The GUI needs its application object before any widget; offscreen unless
// told otherwise.
int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
