// The node list of the main window: columns, rows, selection, the mouse and
// keyboard, sorting by a header click, and how rows are drawn.
#include "FrameFixture.h"
#include "ModalScript.h"
#include "SearchReplies.h"
#include "ops/IpSearchDlg.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <cstdlib>
#include <ctime>
#include <map>
#include <set>

namespace {
QStringList Utf8List(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* psz : list) {
        result << QString::fromUtf8(psz);
    }
    return result;
}

class NodeList : public CFrameFixture {
protected:
    NodeList() {
        m_frame.resize(900, 400);
        m_frame.show();
    }

    // A click on a column's header, as the operator makes it.
    void ClickHeader(int nColumn) {
        QHeaderView* pHeader = View().header();
        QPoint pt(pHeader->sectionViewportPosition(nColumn) + pHeader->sectionSize(nColumn) / 2,
                  pHeader->height() / 2);
        QTest::mouseClick(pHeader->viewport(), Qt::LeftButton, Qt::NoModifier, pt);
    }
    QPoint RowCentre(int nRow) {
        return View().visualRect(View().model()->index(nRow, 1)).center();
    }
    // A double-click as the platform delivers it: press, release, double-click, release.
    void DoubleClick(const QPoint& pt) {
        QTest::mouseClick(View().viewport(), Qt::LeftButton, Qt::NoModifier, pt);
        QTest::mouseDClick(View().viewport(), Qt::LeftButton, Qt::NoModifier, pt);
        QTest::mouseRelease(View().viewport(), Qt::LeftButton, Qt::NoModifier, pt);
    }
    // Below the last row.
    QPoint Empty() { return QPoint(10, View().viewport()->height() - 5); }
};
} // namespace

TEST_F(NodeList, SixColumnsWithTitlesAndWidthsAndTheRowTexts) {
    OpenDoc();
    QStringList listTitles;
    std::vector<int> vecWidths;
    for (int i = 0; i < View().model()->columnCount(); ++i) {
        listTitles << View().model()->headerData(i, Qt::Horizontal).toString();
        vecWidths.push_back(View().header()->sectionSize(i));
    }
    EXPECT_EQ(listTitles, Utf8List({"No.", "機種", "ｼﾘｱﾙNo.", "MACｱﾄﾞﾚｽ", "IPｱﾄﾞﾚｽ", "備考"}));
    EXPECT_EQ(vecWidths, (std::vector<int>{30, 130, 85, 130, 125, 105}));
    EXPECT_EQ(View().selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(View().selectionBehavior(), QAbstractItemView::SelectRows);

    // No network: no rows, and the title says so.
    EXPECT_EQ(View().GetRowCount(), 0);
    EXPECT_EQ(m_frame.windowTitle(),
              QString::fromUtf8("ﾈｯﾄﾜｰｸ未選択 - MRV-620 リモートセットアップ"));

    m_pDoc->AddNetwork("LINE-A", 0xFFFFFF00u, 0x02020202u);
    // Serial number "ｼﾘｱﾙ1" and remarks "2階" in CP932.
    m_pDoc->AddOrUpdateNode(0, ParseIpHost("192.168.1.20"), "0080D4000001", true,
                            "\xBC\xD8\xB1\xD9"
                            "1",
                            "2\x8A\x4B");
    m_pDoc->AddOrUpdateNode(0, ParseIpHost("192.168.200.254"), "0080D4000002", true, "", "");
    EXPECT_EQ(m_frame.windowTitle(), QString::fromUtf8("LINE-A - MRV-620 リモートセットアップ"));
    ASSERT_EQ(View().GetRowCount(), 2);
    QStringList listRow;
    for (int i = 0; i < 6; ++i) {
        listRow << View().GetCellText(0, i);
    }
    EXPECT_EQ(listRow,
              Utf8List({"1", "MRV-620ｼﾘｰｽﾞ", "ｼﾘｱﾙ1", "0080D4000001", "192.168.1.20", "2階"}));
    EXPECT_EQ(Column(0), Utf8List({"1", "2"}));
    EXPECT_EQ(Column(4), Utf8List({"192.168.1.20", "192.168.200.254"}));
}

TEST_F(NodeList, OneRebuildPerUpdateAndUpToAThousandAndTwentyFourRows) {
    OpenDoc();
    m_pDoc->AddNetwork("BIG", 0xFFFF0000u, 0x02020202u);
    m_pDoc->HoldViewUpdates();
    for (int i = 0; i < 1024; ++i) {
        char szMac[13];
        std::snprintf(szMac, sizeof szMac, "0262%08X", i);
        m_pDoc->AddOrUpdateNode(0, 0xC0A80000u + static_cast<uint32_t>(i), szMac, true, "", "");
    }
    int nBefore = View().GetRebuildCount();
    m_pDoc->ReleaseViewUpdates();
    EXPECT_EQ(View().GetRebuildCount(), nBefore + 1);
    EXPECT_EQ(View().GetRowCount(), 1024);
    EXPECT_EQ(View().GetCellText(1023, 0), QStringLiteral("1024"));
}

TEST_F(NodeList, DoubleClickRunsGetSettingsOnTheSelectedRowOnly) {
    OpenDoc();
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"}, {"0080D4000002", "192.168.1.6"}});
    std::vector<int> vecRun;
    View().SetCommandSink([&](int nId) { vecRun.push_back(nId); });

    // Below the rows: no selection, nothing runs.
    DoubleClick(Empty());
    EXPECT_EQ(View().GetSelectedIndex(), -1);
    EXPECT_TRUE(vecRun.empty());

    DoubleClick(RowCentre(1));
    EXPECT_EQ(View().GetSelectedIndex(), 1);
    EXPECT_EQ(vecRun, std::vector<int>{32784});

    // A click below the rows takes the selection away: a double-click there
    // runs nothing, even though a row was selected before.
    vecRun.clear();
    DoubleClick(Empty());
    EXPECT_EQ(View().GetSelectedIndex(), -1);
    EXPECT_TRUE(vecRun.empty());
}

TEST_F(NodeList, DeleteKeyRemovesTheSelectedNodeAtOnceAndRenumbers) {
    OpenDoc();
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"},
                          {"0080D4000002", "192.168.1.6"},
                          {"0080D4000003", "192.168.1.7"},
                          {"0080D4000004", "192.168.1.8"}});
    View().setFocus();
    // Nothing selected: the key does nothing.
    QTest::keyClick(&View(), Qt::Key_Delete);
    EXPECT_EQ(View().GetRowCount(), 4);

    SelectRow(1);
    QTest::keyClick(&View(), Qt::Key_Delete);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // no question
    EXPECT_EQ(Column(0), Utf8List({"1", "2", "3"}));
    EXPECT_EQ(Column(3), Utf8List({"0080D4000001", "0080D4000003", "0080D4000004"}));
    EXPECT_EQ(NetworkMacs(),
              (std::vector<std::string>{"0080D4000001", "0080D4000003", "0080D4000004"}));
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
}

TEST_F(NodeList, IpHeaderSortsByTheLastOctetFirstAndASecondClickReverses) {
    OpenDoc();
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.20"},
                          {"0080D4000002", "192.168.1.3"},
                          {"0080D4000003", "10.0.0.4"}});
    int nBefore = View().GetRebuildCount();
    ClickHeader(4);
    EXPECT_EQ(View().GetRebuildCount(), nBefore + 1);
    EXPECT_EQ(Column(4), Utf8List({"192.168.1.3", "10.0.0.4", "192.168.1.20"}));
    EXPECT_EQ(Column(0), Utf8List({"1", "2", "3"}));
    EXPECT_EQ(NetworkMacs(),
              (std::vector<std::string>{"0080D4000002", "0080D4000003", "0080D4000001"}));
    ClickHeader(4);
    EXPECT_EQ(Column(4), Utf8List({"192.168.1.20", "10.0.0.4", "192.168.1.3"}));
}

TEST_F(NodeList, NumberHeaderClickedTwiceReversesTheNetworkAndTheFileKeepsIt) {
    std::string strPath = m_dir.File("mrvmgr.dat");
    OpenDoc(strPath);
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"},
                          {"0080D4000002", "192.168.1.9"},
                          {"0080D4000003", "192.168.1.7"}});
    ClickHeader(0); // ascending: as it was
    EXPECT_EQ(Column(3), Utf8List({"0080D4000001", "0080D4000002", "0080D4000003"}));
    ClickHeader(0);
    EXPECT_EQ(Column(3), Utf8List({"0080D4000003", "0080D4000002", "0080D4000001"}));
    EXPECT_EQ(Column(0), Utf8List({"1", "2", "3"}));

    // The document saves as it closes; the next run reads the new order.
    OpenDoc(strPath);
    EXPECT_EQ(NetworkMacs(),
              (std::vector<std::string>{"0080D4000003", "0080D4000002", "0080D4000001"}));
    EXPECT_EQ(Column(3), Utf8List({"0080D4000003", "0080D4000002", "0080D4000001"}));
}

TEST_F(NodeList, ContextMenuOpensAtTheCursor) {
    OpenDoc();
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"}});
    QPoint ptLocal = RowCentre(0);
    QPoint ptGlobal = View().viewport()->mapToGlobal(ptLocal);
    QTest::mouseClick(View().viewport(), Qt::RightButton, Qt::NoModifier, ptLocal);
    QContextMenuEvent event(QContextMenuEvent::Mouse, ptLocal, ptGlobal);
    QApplication::sendEvent(View().viewport(), &event);
    QMenu* pMenu = m_frame.GetContextMenu();
    EXPECT_TRUE(pMenu->isVisible());
    EXPECT_EQ(pMenu->pos(), ptGlobal);
    // The row under the right button is the one the commands work on.
    EXPECT_EQ(View().GetSelectedIndex(), 0);
    pMenu->hide();
}

TEST_F(NodeList, SelectedRowIsDrawnAcrossTheWholeWidthWithTheHighlightColours) {
    OpenDoc();
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"}, {"0080D4000002", "192.168.1.6"}});
    SelectRow(1);
    ASSERT_GT(View().viewport()->width(), 605 + 20); // room right of the last column
    QImage img = View().viewport()->grab().toImage();
    int nRight = View().viewport()->width() - 5;
    QColor highlight = View().palette().color(QPalette::Active, QPalette::Highlight);
    QColor base = View().palette().color(QPalette::Active, QPalette::Base);
    EXPECT_EQ(img.pixelColor(nRight, RowCentre(1).y()), highlight);
    EXPECT_EQ(img.pixelColor(nRight, RowCentre(0).y()), base);
    // The text of the selected row is drawn in the highlight text colour.
    QColor text = View().palette().color(QPalette::Active, QPalette::HighlightedText);
    bool bTextPixel = false;
    QRect rcMac = View().visualRect(View().model()->index(1, 3));
    for (int x = rcMac.left(); x < rcMac.right() && !bTextPixel; ++x) {
        for (int y = rcMac.top(); y < rcMac.bottom() && !bTextPixel; ++y) {
            bTextPixel = img.pixelColor(x, y) == text;
        }
    }
    EXPECT_TRUE(bTextPixel);
}

TEST(NodeListCells, TextThatDoesNotFitIsCutAndEndsInThreeDots) {
    QFont font;
    QFontMetrics fm(font);
    QString strShort = QStringLiteral("0080D4");
    EXPECT_EQ(COrvixView::FitCellText(fm, strShort, fm.horizontalAdvance(strShort)), strShort);
    QString strLong = QString::fromUtf8("2階の制御盤の右側にある変換器、予備の配線あり");
    int nWidth = fm.horizontalAdvance(strLong) / 2;
    QString strFit = COrvixView::FitCellText(fm, strLong, nWidth);
    EXPECT_TRUE(strFit.endsWith(QStringLiteral("...")));
    EXPECT_TRUE(strLong.startsWith(strFit.chopped(3)));
    EXPECT_LE(fm.horizontalAdvance(strFit), nWidth);
    EXPECT_GT(strFit.size(), 3);
    // Not even one character fits: only the dots.
    EXPECT_EQ(COrvixView::FitCellText(fm, strLong, fm.horizontalAdvance(QStringLiteral("..."))),
              QStringLiteral("..."));
    EXPECT_EQ(COrvixView::CellMargin(0), 2);
    EXPECT_EQ(COrvixView::CellMargin(1), 6);
    EXPECT_EQ(COrvixView::CellMargin(5), 6);
}

TEST_F(NodeList, ASilentNodeShowsItsMarkAndATooltip) {
    setenv("TZ", "UTC", 1);
    tzset();
    OpenDoc();
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.5"},
                          {"0080D4000002", "192.168.1.6"},
                          {"0080D4000003", "192.168.1.7"}});
    // A search in which node 1 answered at 2026/12/08 09:00:00 through eth1,
    // node 2 earlier only, and node 3 never.
    CNodeContacts& contacts = m_pDoc->m_contacts;
    contacts.BeginSearch();
    contacts.NoteReply("0080D4000002", 1796716800, "eth1");
    contacts.BeginSearch();
    contacts.NoteReply("0080D4000001", 1796720400, "eth0");
    SSearchTally tally = contacts.MarkSilent(m_pDoc->m_pCurNet->m_arrNodes);
    EXPECT_EQ(tally.nSilent, 2);
    m_pDoc->UpdateAllViews();

    QAbstractItemModel& model = *View().model();
    EXPECT_FALSE(model.data(model.index(0, 3), Qt::ToolTipRole).isValid());
    EXPECT_EQ(model.data(model.index(1, 3), Qt::ToolTipRole).toString(),
              QString::fromUtf8(
                  "前回の検索に応答しませんでした\n最後の応答: 2026/12/08 08:00:00 (eth1)"));
    EXPECT_EQ(model.data(model.index(2, 0), Qt::ToolTipRole).toString(),
              QString::fromUtf8("前回の検索に応答しませんでした\n起動後の応答はありません"));

    // The mark: the "No." cell in amber (E0 80 00 is nothing else's colour).
    QImage img = View().viewport()->grab().toImage();
    auto AmberPixels = [&](int nRow) {
        QRect rc = View().visualRect(model.index(nRow, 0));
        int nAmber = 0;
        for (int x = rc.left(); x <= rc.right(); ++x) {
            for (int y = rc.top(); y <= rc.bottom(); ++y) {
                nAmber += img.pixelColor(x, y) == QColor(0xE0, 0x80, 0x00);
            }
        }
        return nAmber;
    };
    EXPECT_EQ(AmberPixels(0), 0);
    EXPECT_GT(AmberPixels(1), 40);
    EXPECT_GT(AmberPixels(2), 40);
    EXPECT_EQ(View().GetCellText(1, 0), "2");

    // The mark clears when the node answers again.
    contacts.BeginSearch();
    contacts.NoteReply("0080D4000001", 1796724000, "eth0");
    contacts.NoteReply("0080D4000002", 1796724000, "eth0");
    contacts.NoteReply("0080D4000003", 1796724000, "eth0");
    contacts.MarkSilent(m_pDoc->m_pCurNet->m_arrNodes);
    m_pDoc->UpdateAllViews();
    img = View().viewport()->grab().toImage();
    EXPECT_EQ(AmberPixels(1), 0);
    EXPECT_FALSE(model.data(model.index(1, 3), Qt::ToolTipRole).isValid());
}

TEST_F(NodeList, EverySearchLeavesTheReadyTextAndItsCountsInAPaneOfTheirOwn) {
    m_settings.m_nTimeoutSearch = 100;
    OpenDoc();
    AddNetwork("LINE-A",
               {{NodeMac(0), "10.0.0.1"}, {NodeMac(1), "10.0.0.2"}, {NodeMac(2), "10.0.0.3"}});
    // Nodes 0 and 1 answer every probe, node 2 none.
    m_pSocket->SetSendHook([this](const CMemoryDatagramSocket::SDatagram& dg) {
        for (uint32_t n = 0; n < 2; ++n) {
            if (dg.dwIp == 0xFFFFFFFFu || dg.dwIp == 0x0A000001u + n) {
                m_pSocket->Inject(SearchReply(n), "10.0.0." + std::to_string(n + 1), 65533);
            }
        }
    });
    auto CountsPane = [this] {
        return m_frame.statusBar()->findChild<QLabel*>("SearchCountsPane");
    };
    EXPECT_EQ(CountsPane(), nullptr); // none before the first search

    m_frame.RunCommand(32782); // 検索
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
    ASSERT_NE(CountsPane(), nullptr);
    EXPECT_TRUE(CountsPane()->isVisible());
    EXPECT_EQ(CountsPane()->text(), QString::fromUtf8("応答 2 / 登録 3 / 無応答 1"));

    // The IP search asks nodes 1 and 2.
    m_pDoc->m_listSearchTarget = {CIpSearchList{"10.0.0.2"}, CIpSearchList{"10.0.0.3"}};
    CModalScript script;
    script.OnDialog("CIpSearchDlg", [](QDialog& dlg) {
        ControlWidget<QAbstractButton>(dlg, IDC_IPS_SEARCH)->click();
    });
    m_frame.RunCommand(32814); // IP検索
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
    EXPECT_EQ(CountsPane()->text(), QString::fromUtf8("応答 1 / 登録 3 / 無応答 1"));

    m_frame.RunCommand(32816); // リフレッシュ検索
    EXPECT_EQ(m_frame.GetStatusText(), QString::fromUtf8("ﾚﾃﾞｨ"));
    EXPECT_EQ(CountsPane()->text(), QString::fromUtf8("応答 2 / 登録 2 / 無応答 0"));
}

namespace {
// The pixels of the row's "No." cell drawn in the text colour.
std::set<std::pair<int, int>> NumberPixels(COrvixView& view, int nRow) {
    QImage img = view.viewport()->grab().toImage();
    QRect rc = view.visualRect(view.model()->index(nRow, 0));
    QColor text = view.palette().color(QPalette::Active, QPalette::Text);
    std::set<std::pair<int, int>> set;
    for (int x = rc.left(); x <= rc.right(); ++x) {
        for (int y = rc.top(); y <= rc.bottom(); ++y) {
            if (img.pixelColor(x, y) == text) {
                set.insert({x - rc.left(), y - rc.top()});
            }
        }
    }
    return set;
}
} // namespace

// The mark of a silent node leaves the row number whole and where it was in
// the narrow "No." column, two digits too.
TEST_F(NodeList, TheSilentMarkLeavesTheRowNumberReadable) {
    OpenDoc();
    std::vector<std::pair<std::string, std::string>> vecNodes;
    for (int i = 1; i <= 12; ++i) {
        vecNodes.push_back({NodeMac(static_cast<uint32_t>(i)), "10.0.0." + std::to_string(i)});
    }
    AddNetwork("LINE-A", vecNodes);
    std::map<int, std::set<std::pair<int, int>>> mapPlain;
    for (int nRow : {0, 9, 11}) {
        mapPlain[nRow] = NumberPixels(View(), nRow);
        EXPECT_FALSE(mapPlain[nRow].empty()) << nRow;
    }
    CNodeContacts& contacts = m_pDoc->m_contacts;
    contacts.BeginSearch();
    for (int i = 1; i <= 12; ++i) {
        if (i != 1 && i != 10 && i != 12) {
            contacts.NoteReply(NodeMac(static_cast<uint32_t>(i)), 1796716800, "eth0");
        }
    }
    contacts.MarkSilent(m_pDoc->m_pCurNet->m_arrNodes);
    m_pDoc->UpdateAllViews();
    auto& model = static_cast<CNodeListItemModel&>(*View().model());
    for (int nRow : {0, 9, 11}) {
        ASSERT_TRUE(model.IsSilentRow(nRow));
        EXPECT_EQ(NumberPixels(View(), nRow), mapPlain[nRow]) << "row " << nRow + 1;
    }
}

namespace {
// The list laid out again: rows, then the scroll bars they call for.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
    }
}
} // namespace

// Fitting the default window: the columns keep their widths while they fit;
// when the rows need the vertical scroll bar, the remarks column gives way to
// it, so no horizontal bar appears for a few pixels.
TEST_F(NodeList, ColumnsFitBesideTheVerticalScrollBar) {
    m_frame.resize(620, 320);
    OpenDoc();
    AddNetwork("LINE-A", {{NodeMac(1), "10.0.0.1"}, {NodeMac(2), "10.0.0.2"}});
    Settle();
    auto Widths = [this] {
        std::vector<int> vec;
        for (int i = 0; i < View().model()->columnCount(); ++i) {
            vec.push_back(View().header()->sectionSize(i));
        }
        return vec;
    };
    EXPECT_FALSE(View().verticalScrollBar()->isVisible());
    EXPECT_FALSE(View().horizontalScrollBar()->isVisible());
    EXPECT_EQ(Widths(), (std::vector<int>{30, 130, 85, 130, 125, 105}));

    for (uint32_t i = 3; i <= 100; ++i) {
        m_pDoc->AddOrUpdateNode(0, 0x0A000000u + i, NodeMac(i), true, "", "");
    }
    Settle();
    ASSERT_TRUE(View().verticalScrollBar()->isVisible());
    EXPECT_FALSE(View().horizontalScrollBar()->isVisible());
    EXPECT_LE(View().header()->length(), View().viewport()->width());
    std::vector<int> vecFitted = Widths();
    EXPECT_EQ(std::vector<int>(vecFitted.begin(), vecFitted.end() - 1),
              (std::vector<int>{30, 130, 85, 130, 125}));
    EXPECT_GE(vecFitted.back(), 105 - View().verticalScrollBar()->width());

    // Wider again, or fewer rows: the widths as they were.
    m_frame.resize(900, 320);
    Settle();
    EXPECT_EQ(Widths(), (std::vector<int>{30, 130, 85, 130, 125, 105}));
    m_frame.resize(620, 320);
    while (View().GetRowCount() > 2) {
        m_pDoc->DeleteNode(2);
    }
    Settle();
    EXPECT_FALSE(View().verticalScrollBar()->isVisible());
    EXPECT_EQ(Widths(), (std::vector<int>{30, 130, 85, 130, 125, 105}));
}

// A command's registry change rebuilds the list; the selected node stays
// selected by its MAC, wherever its row went.
TEST_F(NodeList, TheSelectedNodeStaysSelectedAcrossRebuilds) {
    OpenDoc();
    AddNetwork("LINE-A", {{"0080D4000001", "192.168.1.20"},
                          {"0080D4000002", "192.168.1.3"},
                          {"0080D4000003", "10.0.0.4"}});
    SelectRow(0);
    m_pDoc->UpdateAllViews();
    EXPECT_EQ(View().GetSelectedIndex(), 0);
    // Sorted by address: the node moved to the last row.
    ClickHeader(4);
    ASSERT_EQ(View().GetCellText(2, 3), "0080D4000001");
    EXPECT_EQ(View().GetSelectedIndex(), 2);
    EXPECT_EQ(View().currentIndex().row(), 2);
    // A node dialog ended with OK changes the registry.
    CModalScript script;
    script.OnDialog("CNodeDlg",
                    [](QDialog& dlg) { ControlWidget<QAbstractButton>(dlg, 1)->click(); });
    m_frame.RunCommand(32793); // ﾌﾟﾛﾊﾟﾃｨ
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(View().GetSelectedIndex(), 2);
    // A new node before it: the same node, one row down.
    m_pDoc->AddOrUpdateNode(0, ParseIpHost("192.168.1.9"), "0080D4000009", true, "", "");
    ClickHeader(0);
    ClickHeader(0); // reversed: the new node first
    ASSERT_EQ(View().GetCellText(0, 3), "0080D4000009");
    EXPECT_EQ(View().GetCellText(View().GetSelectedIndex(), 3), "0080D4000001");
    // The node deleted: nothing selected.
    m_frame.RunCommand(32790); // 削除
    EXPECT_EQ(View().GetSelectedIndex(), -1);
    EXPECT_EQ(View().GetRowCount(), 3);
}
