// The main window's menus as an operator meets them: items, ids, labels and
// separators, the enable rules in each registry state, the prompts, the
// network entries, and the frame's own commands.
#include "FrameFixture.h"
#include "ModalScript.h"
#include "gui/AboutDlg.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <filesystem>
#include <set>

namespace {
// The network entries carry 12345 + their position; commands have ids of 32772 and up.
bool IsNetworkEntry(const QAction* pAction) {
    int nId = pAction->data().toInt();
    return nId >= 12345 && nId < 32000;
}

// A menu as text: "label #id" per command, "-" per separator, and a submenu as
// "title {" ... "}"; the network entries as "name @id" with "*" when checked.
void DumpMenu(const QMenu* pMenu, QStringList& list) {
    for (QAction* pAction : pMenu->actions()) {
        if (pAction->isSeparator()) {
            list << QStringLiteral("-");
        } else if (pAction->menu() != nullptr) {
            list << pAction->text() + QStringLiteral(" {");
            DumpMenu(pAction->menu(), list);
            list << QStringLiteral("}");
        } else if (IsNetworkEntry(pAction)) {
            list << QStringLiteral("%1 @%2%3")
                        .arg(pAction->text())
                        .arg(pAction->data().toInt())
                        .arg(pAction->isChecked() ? QStringLiteral(" *") : QString());
        } else {
            list << QStringLiteral("%1 #%2").arg(pAction->text()).arg(pAction->data().toInt());
        }
    }
}

QStringList Dump(const QMenu* pMenu) {
    QStringList list;
    DumpMenu(pMenu, list);
    return list;
}

QStringList Utf8List(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* psz : list) {
        result << QString::fromUtf8(psz);
    }
    return result;
}

// Opens a menu and every submenu, as the operator does (each refreshes on
// opening), then closes them again; returns the command items by id.
void CollectCommands(QMenu* pMenu, std::map<int, QAction*>& map) {
    pMenu->popup(QPoint(0, 0));
    for (QAction* pAction : pMenu->actions()) {
        if (pAction->menu() != nullptr) {
            CollectCommands(pAction->menu(), map);
        } else if (!pAction->isSeparator() && !IsNetworkEntry(pAction)) {
            map[pAction->data().toInt()] = pAction;
        }
    }
    pMenu->hide();
}

class MainFrameMenus : public CFrameFixture {
protected:
    MainFrameMenus() { OpenDoc(); }

    // Ids of the enabled items of every menu of the bar, each menu opened first.
    std::set<int> EnabledInMainMenu() {
        std::map<int, QAction*> map;
        for (QAction* pTop : m_frame.menuBar()->actions()) {
            CollectCommands(pTop->menu(), map);
        }
        return Enabled(map);
    }
    std::set<int> EnabledInContextMenu() {
        std::map<int, QAction*> map;
        CollectCommands(m_frame.GetContextMenu(), map);
        return Enabled(map);
    }
    static std::set<int> Enabled(const std::map<int, QAction*>& map) {
        std::set<int> set;
        for (const auto& [nId, pAction] : map) {
            if (pAction->isEnabled()) {
                set.insert(nId);
            }
        }
        return set;
    }
};
} // namespace

TEST_F(MainFrameMenus, MainMenuHasTheItemsIdsLabelsAndSeparators) {
    QStringList listTitles;
    for (QAction* pTop : m_frame.menuBar()->actions()) {
        listTitles << pTop->text();
    }
    EXPECT_EQ(listTitles, Utf8List({"ﾌｧｲﾙ(&F)", "ﾈｯﾄﾜｰｸ(&N)", "管理(&T)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
    EXPECT_EQ(Dump(MenuTitled("ﾌｧｲﾙ(&F)")), Utf8List({"ｱﾌﾟﾘｹｰｼｮﾝの終了(&X) #57665"}));
    EXPECT_EQ(Dump(MenuTitled("ﾈｯﾄﾜｰｸ(&N)")),
              Utf8List({"新規登録(&N)... #32787", "ﾌﾟﾛﾊﾟﾃｨ(P)... #32772", "削除(&D) #32788"}));
    EXPECT_EQ(Dump(MenuTitled("管理(&T)")), Utf8List({"検索(&S) #32782",
                                                      "その他の検索 {",
                                                      "リフレッシュ検索 #32816",
                                                      "IP検索(&I)... #32814",
                                                      "検索ｲﾝﾀｰﾌｪｰｽ(&F)... #32840",
                                                      "}",
                                                      "-",
                                                      "自動設定(&A)... #32785",
                                                      "個別設定(&S)... #32783",
                                                      "設定取得(&G)... #32784",
                                                      "ﾓｰﾄﾞ変更(&M)... #32786",
                                                      "ｱﾌﾟﾘｹｰｼｮﾝﾀﾞｳﾝﾛｰﾄﾞ {",
                                                      "個別 #32820",
                                                      "一括 #32821",
                                                      "}",
                                                      "ｶｰﾈﾙﾀﾞｳﾝﾛｰﾄﾞ {",
                                                      "個別 #32822",
                                                      "一括 #32823",
                                                      "}",
                                                      "ﾊﾞｰｼﾞｮﾝ情報取得 #32818",
                                                      "ﾌｧｲﾙ情報取得 #32817",
                                                      "ｱﾌﾟﾘｹｰｼｮﾝ削除 #32825",
                                                      "-",
                                                      "新規登録(&N)... #32789",
                                                      "ﾌﾟﾛﾊﾟﾃｨ(&P)... #32793",
                                                      "削除(&D) #32790",
                                                      "-",
                                                      "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀ設定(&E)... #32791",
                                                      "-",
                                                      "初期化(&C) {",
                                                      "選択ﾉｰﾄﾞを対象(&S)... #32796",
                                                      "指定機種を対象(&T)... #32797",
                                                      "}"}));
    EXPECT_EQ(Dump(MenuTitled("表示(&V)")),
              Utf8List({"ｽﾃｰﾀｽ ﾊﾞｰ(&S) #59393", "操作履歴(&L)... #32841"}));
    EXPECT_EQ(Dump(MenuTitled("ﾍﾙﾌﾟ(&H)")),
              Utf8List({"ﾊﾞｰｼﾞｮﾝ情報(&A)... #57664", "ヘルプ #57670"}));
}

TEST_F(MainFrameMenus, ContextMenuRepeatsTheManageItemsWithoutAccessKeys) {
    EXPECT_EQ(Dump(m_frame.GetContextMenu()), Utf8List({"検索 #32782",
                                                        "その他の検索 {",
                                                        "リフレッシュ検索 #32816",
                                                        "IP検索 #32814",
                                                        "}",
                                                        "-",
                                                        "自動設定 #32785",
                                                        "個別設定 #32783",
                                                        "設定取得 #32784",
                                                        "ﾓｰﾄﾞ変更 #32786",
                                                        "ｱﾌﾟﾘｹｰｼｮﾝﾀﾞｳﾝﾛｰﾄﾞ {",
                                                        "個別 #32820",
                                                        "一括 #32821",
                                                        "}",
                                                        "ﾌﾞｰﾄ・ｶｰﾈﾙﾀﾞｳﾝﾛｰﾄﾞ {",
                                                        "個別 #32822",
                                                        "一括 #32823",
                                                        "}",
                                                        "ﾊﾞｰｼﾞｮﾝ情報取得 #32818",
                                                        "ﾌｧｲﾙ情報取得 #32817",
                                                        "ｱﾌﾟﾘｹｰｼｮﾝ削除 #32825",
                                                        "-",
                                                        "新規登録 #32789",
                                                        "ﾌﾟﾛﾊﾟﾃｨ #32793",
                                                        "削除 #32790",
                                                        "-",
                                                        "ﾃﾞﾌｫﾙﾄﾊﾟﾗﾒｰﾀ設定 #32791",
                                                        "-",
                                                        "初期化 {",
                                                        "選択ﾉｰﾄﾞを対象 #32796",
                                                        "選択機種を対象 #32797",
                                                        "}"}));
}

TEST_F(MainFrameMenus, EnableRulesFollowNetworkRowsAndSelection) {
    // No network: only what needs none.
    const std::set<int> setAlways = {57665, 32787, 32821, 32823, 32791,
                                     59393, 57664, 57670, 32840, 32841};
    EXPECT_EQ(EnabledInMainMenu(), setAlways);
    EXPECT_EQ(EnabledInContextMenu(), (std::set<int>{32821, 32823, 32791}));

    // A network without nodes.
    AddNetwork("LINE-A", {});
    std::set<int> setNetwork = setAlways;
    setNetwork.insert({32772, 32788, 32782, 32816, 32814, 32789});
    EXPECT_EQ(EnabledInMainMenu(), setNetwork);

    // Rows, none selected.
    m_pDoc->AddOrUpdateNode(0, ParseIpHost("192.168.200.254"), "0080D4000001", true, "", "");
    m_pDoc->AddOrUpdateNode(0, ParseIpHost("192.168.1.5"), "0080D4000002", true, "", "");
    std::set<int> setRows = setNetwork;
    setRows.insert({32785, 32797});
    EXPECT_EQ(EnabledInMainMenu(), setRows);

    // The selected node is still on the unset address: no single downloads
    // and no file information.
    SelectRow(0);
    std::set<int> setSelected = setRows;
    setSelected.insert({32783, 32784, 32786, 32818, 32825, 32793, 32790, 32796});
    EXPECT_EQ(EnabledInMainMenu(), setSelected);

    // An addressed node: everything.
    SelectRow(1);
    std::set<int> setAll = setSelected;
    setAll.insert({32820, 32822, 32817});
    EXPECT_EQ(EnabledInMainMenu(), setAll);
    setAll.erase(57665);
    setAll.erase(32787);
    setAll.erase(32772);
    setAll.erase(32788);
    setAll.erase(59393);
    setAll.erase(57664);
    setAll.erase(57670);
    setAll.erase(32840); // the search interface is in the main menu only
    setAll.erase(32841); // so is the operation log
    EXPECT_EQ(EnabledInContextMenu(), setAll);
    setAll = setSelected;
    setAll.insert({32820, 32822, 32817});

    // A list update keeps the selected node and its commands; once the node
    // is gone, so are they.
    m_pDoc->UpdateAllViews();
    EXPECT_EQ(EnabledInMainMenu(), setAll);
    m_pDoc->DeleteNode(1);
    EXPECT_EQ(EnabledInMainMenu(), setRows);
}

TEST_F(MainFrameMenus, DisabledCommandsDoNothingWhenRunAnyway) {
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"}});
    ASSERT_EQ(View().GetSelectedIndex(), -1);
    m_frame.RunCommand(32790); // node delete needs a selected row
    EXPECT_EQ(View().GetRowCount(), 1);
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 1u);
}

TEST_F(MainFrameMenus, PromptOfTheHighlightedItemShowsInTheMessagePane) {
    AddNetwork("LINE-A", {});
    m_frame.show();
    QMenu* pManage = MenuTitled("管理(&T)");
    ASSERT_NE(pManage, nullptr);
    pManage->popup(QPoint(10, 10));
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
    pManage->setActiveAction(m_frame.FindAction(32782));
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾈｯﾄﾜｰｸに接続されたMRV-620を検索する"));
    // A submenu's own item has no prompt.
    pManage->setActiveAction(pManage->actions().at(1));
    EXPECT_EQ(m_frame.GetStatusText(), QString());
    pManage->hide();
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
    // Nothing else shows a prompt over the bar.
    EXPECT_TRUE(m_frame.statusBar()->currentMessage().isEmpty());
}

TEST_F(MainFrameMenus, NetworkMenuListsEveryNetworkAfterItsThirdItemWithTheCurrentChecked) {
    QMenu* pNetwork = MenuTitled("ﾈｯﾄﾜｰｸ(&N)");
    ASSERT_EQ(pNetwork, m_frame.GetNetworkMenu());
    pNetwork->popup(QPoint(0, 0));
    pNetwork->hide();
    EXPECT_EQ(Dump(pNetwork).size(), 3);

    AddNetwork("LINE-A", {});
    AddNetwork("LINE-B", {});
    AddNetwork("A&B", {});
    pNetwork->popup(QPoint(0, 0));
    pNetwork->hide();
    EXPECT_EQ(Dump(pNetwork),
              Utf8List({"新規登録(&N)... #32787", "ﾌﾟﾛﾊﾟﾃｨ(P)... #32772", "削除(&D) #32788", "-",
                        "LINE-A @12345", "LINE-B @12346", "A&&B @12347 *"}));
    EXPECT_EQ(m_pDoc->m_arrNets[1]->m_nMenuId, 12346u);

    // Choosing an entry makes its network current; the menu follows on opening.
    pNetwork->actions().at(4)->trigger();
    EXPECT_EQ(m_pDoc->m_nCurNet, 0);
    EXPECT_EQ(m_frame.windowTitle(), QString::fromUtf8("LINE-A - MRV-620 リモートセットアップ"));
    pNetwork->popup(QPoint(0, 0));
    pNetwork->hide();
    EXPECT_EQ(Dump(pNetwork).mid(3),
              Utf8List({"-", "LINE-A @12345 *", "LINE-B @12346", "A&&B @12347"}));
}

TEST_F(MainFrameMenus, DeletingTheCurrentNetworkAfterYesMakesTheFirstRemainingOneCurrent) {
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"}, {"0080D4000002", "192.168.1.6"}});
    AddNetwork("LINE-B", {{"0080D4000003", "192.168.2.5"}});
    AddNetwork("LINE-C", {});
    m_pDoc->SelectNetwork(12346); // LINE-B
    m_frame.show();

    // No keeps it.
    QString strQuestion;
    WhenMessageBoxShows([&](QMessageBox& box) {
        strQuestion = box.text();
        MessageButton(box, "いいえ(&N)")->click();
    });
    m_frame.FindAction(32788)->trigger();
    EXPECT_EQ(strQuestion,
              QString::fromUtf8("現在のﾈｯﾄﾜｰｸ設定を削除します。\nMRV-620の登録情報も失われます。\n"
                                "よろしいですか?"));
    EXPECT_EQ(m_pDoc->GetNetCount(), 3);

    WhenMessageBoxShows([&](QMessageBox& box) { MessageButton(box, "はい(&Y)")->click(); });
    m_frame.FindAction(32788)->trigger();
    EXPECT_EQ(m_pDoc->GetNetCount(), 2);
    EXPECT_EQ(m_frame.windowTitle(), QString::fromUtf8("LINE-A - MRV-620 リモートセットアップ"));
    EXPECT_EQ(Column(3), Utf8List({"0080D4000001", "0080D4000002"}));
    QMenu* pNetwork = m_frame.GetNetworkMenu();
    pNetwork->popup(QPoint(0, 0));
    pNetwork->hide();
    EXPECT_EQ(Dump(pNetwork).mid(3), Utf8List({"-", "LINE-A @12345 *", "LINE-C @12346"}));
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
}

TEST_F(MainFrameMenus, StatusBarToggleHidesAndShowsTheBar) {
    m_frame.show();
    QAction* pToggle = m_frame.FindAction(59393);
    ASSERT_NE(pToggle, nullptr);
    EXPECT_TRUE(pToggle->isCheckable());
    pToggle->trigger();
    EXPECT_TRUE(m_frame.statusBar()->isHidden());
    MenuTitled("表示(&V)")->popup(QPoint(0, 0));
    MenuTitled("表示(&V)")->hide();
    EXPECT_FALSE(pToggle->isChecked());
    pToggle->trigger();
    EXPECT_FALSE(m_frame.statusBar()->isHidden());
    EXPECT_TRUE(pToggle->isChecked());
}

TEST_F(MainFrameMenus, ExitClosesTheWindow) {
    m_frame.show();
    ASSERT_TRUE(m_frame.isVisible());
    m_frame.FindAction(57665)->trigger();
    EXPECT_FALSE(m_frame.isVisible());
}

TEST_F(MainFrameMenus, VersionBoxShowsTitleIconAndTwoLines) {
    m_frame.show();
    QString strTitle, strVersion, strSecond;
    bool bIcon = false;
    bool bModal = false;
    auto* pTimer = new QTimer;
    QObject::connect(pTimer, &QTimer::timeout, [&, pTimer] {
        auto* pDlg = dynamic_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (pDlg == nullptr) {
            return;
        }
        pTimer->stop();
        pTimer->deleteLater();
        strTitle = pDlg->windowTitle();
        strVersion = pDlg->GetVersionLabel()->text();
        strSecond = pDlg->GetSecondLabel()->text();
        bIcon = !pDlg->GetIconLabel()->pixmap().isNull();
        bModal = pDlg->isModal();
        pDlg->GetOkButton()->click();
    });
    pTimer->start(10);
    m_frame.FindAction(57664)->trigger();
    EXPECT_EQ(strTitle, QString::fromUtf8("MRV-620 リモートセットアップのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(strVersion, QString::fromUtf8("MRV-620 リモートセットアップ Version 0.94"));
    EXPECT_FALSE(strSecond.isEmpty());
    EXPECT_TRUE(bIcon);
    EXPECT_TRUE(bModal);
    EXPECT_FALSE(m_frame.windowIcon().isNull());
}

TEST_F(MainFrameMenus, HelpOpensTheGuideFromItsPlacesAndSaysWhereItLookedWhenItIsMissing) {
    CScratchDir dir;
    const std::string strBeside = dir.File("bin/guide/index.html");
    const std::string strShared = dir.File("share/mrvmgr/guide/index.html");
    m_frame.SetHelpPlaces({strBeside, strShared});
    std::vector<std::string> vecOpened;
    bool bOpens = true;
    m_frame.SetHelpOpener([&](const std::string& strPath) {
        vecOpened.push_back(strPath);
        return bOpens;
    });
    m_frame.show();
    QAction* pHelp = m_frame.FindAction(57670);
    ASSERT_NE(pHelp, nullptr);
    EXPECT_EQ(pHelp->shortcut(), QKeySequence(Qt::Key_F1));

    // None there: a message names every place looked at, nothing is opened.
    CModalScript script;
    QString strText;
    script.AcknowledgeMessage(&strText);
    pHelp->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(vecOpened.empty());
    EXPECT_EQ(strText.toStdString(),
              "操作説明書が見つかりません。次の場所を探しました:\n" + strBeside + "\n" + strShared);

    // The first place that holds it wins; F1 opens it as the menu item does.
    std::filesystem::create_directories(dir.File("share/mrvmgr/guide"));
    CScratchDir::Write(strShared, "<html></html>");
    m_frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_frame));
    QTest::keyClick(&m_frame, Qt::Key_F1);
    EXPECT_EQ(vecOpened, std::vector<std::string>{strShared});
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // No program to open it with: said, with the file to open by hand.
    bOpens = false;
    CModalScript failed;
    failed.AcknowledgeMessage(&strText);
    pHelp->trigger();
    EXPECT_TRUE(failed.Done());
    EXPECT_EQ(strText.toStdString(),
              "操作説明書を開くプログラムがありません。ブラウザで次のファイルを開いてください:\n" +
                  strShared);
}

TEST_F(MainFrameMenus, IndicatorPanesShowTheLockedKeys) {
    auto Texts = [&] {
        QStringList list;
        for (const char* pszName : {"ｶﾅ", "CAP", "NUM", "SCRL"}) {
            auto* pPane = m_frame.statusBar()->findChild<QLabel*>(QString::fromUtf8(pszName));
            list << (pPane != nullptr ? pPane->text() : QStringLiteral("?"));
        }
        return list;
    };
    // Offscreen nothing is reported: all blank.
    QTest::keyClick(&View(), Qt::Key_CapsLock);
    QApplication::processEvents();
    EXPECT_EQ(Texts(), QStringList({"", "", "", ""}));
    SKeyLocks locks;
    locks.bKnown = true;
    locks.bCaps = true;
    locks.bNum = true;
    m_frame.SetKeyLocks(locks);
    EXPECT_EQ(Texts(), QStringList({"", "CAP", "NUM", ""}));
    locks.bKana = true;
    locks.bScroll = true;
    locks.bCaps = false;
    m_frame.SetKeyLocks(locks);
    EXPECT_EQ(Texts(), Utf8List({"ｶﾅ", "", "NUM", "SCRL"}));
}

// The menus from the keyboard, as the README gives them. ﾈｯﾄﾜｰｸ → 新規登録 is
// Alt+N, N. 管理: Alt+T opens it on its first item, 検索, which Enter runs;
// its access key S is also 個別設定's, so S only moves between the two.
TEST_F(MainFrameMenus, MenusFromTheKeyboard) {
    m_settings.m_nTimeoutSearch = 50;
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"}});
    SelectRow(0);
    m_frame.show();
    m_frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_frame));
    QMenu* pNetwork = MenuTitled("ﾈｯﾄﾜｰｸ(&N)");
    ASSERT_NE(pNetwork, nullptr);
    bool bNetworkDialog = false;
    QTest::keyClick(&m_frame, Qt::Key_N, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pNetwork->isVisible(); }));
    CModalScript script;
    script.OnDialog("CNetworkDlg", [&](QDialog& dlg) {
        bNetworkDialog = true;
        dlg.done(QDialog::Rejected);
    });
    QTest::keyClick(pNetwork, Qt::Key_N);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(bNetworkDialog);

    QMenu* pManage = MenuTitled("管理(&T)");
    ASSERT_NE(pManage, nullptr);
    m_frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_frame));
    QTest::keyClick(&m_frame, Qt::Key_T, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pManage->isVisible(); }));
    auto ActiveText = [&] {
        return pManage->activeAction() != nullptr ? pManage->activeAction()->text() : QString();
    };
    EXPECT_EQ(ActiveText(), QString::fromUtf8("検索(&S)"));
    QTest::keyClick(pManage, Qt::Key_S);
    EXPECT_EQ(ActiveText(), QString::fromUtf8("個別設定(&S)..."));
    EXPECT_TRUE(pManage->isVisible()); // nothing ran
    QTest::keyClick(pManage, Qt::Key_S);
    EXPECT_EQ(ActiveText(), QString::fromUtf8("検索(&S)"));
    QTest::keyClick(pManage, Qt::Key_Return);
    EXPECT_FALSE(pManage->isVisible());
    // The search ran: its counts are in the status bar.
    auto* pCounts = m_frame.statusBar()->findChild<QLabel*>("SearchCountsPane");
    ASSERT_NE(pCounts, nullptr);
    EXPECT_EQ(pCounts->text(), QString::fromUtf8("応答 0 / 登録 1 / 無応答 1"));
}
