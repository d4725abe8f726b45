// The wait cursor while a command works gives way to every modal window
// opened meanwhile, and comes back after it.
#include "FrameFixture.h"
#include "ModalScript.h"
#include "NodeResponder.h"
#include "app/CommandTable.h"
#include "ops/NodeCommandDlgs.h"
#include "ui/BusyScope.h"

#include <QLineEdit>
#include <QPushButton>

namespace {
// The cursor shown over the top modal window now; the arrow when nothing overrides it.
Qt::CursorShape CursorNow() {
    QCursor* pCursor = QApplication::overrideCursor();
    return pCursor != nullptr ? pCursor->shape() : Qt::ArrowCursor;
}

class BusyWindow : public CFrameFixture {
protected:
    BusyWindow() {
        m_settings.m_nTimeout = 100;
        m_settings.m_nTimeoutAutoSet = 100;
        m_settings.m_nTimeoutInitial = 100;
        m_settings.m_nRetryGetParam = 0;
    }
};
} // namespace

TEST_F(BusyWindow, WaitCursorGivesWayToEveryModalWindowAndComesBackAfter) {
    OpenDoc();
    m_frame.show();
    CInitErrorDlg dialog("0080C8000001");
    std::string strPath;
    const std::pair<const char*, std::function<void()>> arrCases[] = {
        {"message box", [&] { m_ui.ShowMessage("MRV-620から応答がありません"); }},
        {"dialog", [&] { m_ui.DoModal(dialog); }},
        {"file choice", [&] { m_ui.ChooseFileToOpen(SFileChoice{}, strPath); }},
    };
    for (const auto& [pszName, fnShow] : arrCases) {
        SCOPED_TRACE(pszName);
        CWaitCursorScope wait(m_ui);
        Qt::CursorShape eShown = Qt::BlankCursor;
        CModalScript script;
        script.OnWindow<QDialog>([&](QDialog& dlg) {
            eShown = CursorNow();
            dlg.done(QDialog::Rejected);
        });
        fnShow();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(eShown, Qt::ArrowCursor);
        EXPECT_EQ(CursorNow(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The windows an operator met under the wait cursor: each command's own
// dialog, then the one that showed the fault.
TEST_F(BusyWindow, CommandsShowTheArrowOverTheirDialogsAndMessages) {
    struct SCase {
        const char* pszName;
        int nCommand;
        const char* pszFirst;                  // answered with OK; null: none
        std::function<void(QDialog&)> fnFirst; // before OK
        const char* pszWatched;                // where the cursor is looked at
        int nWatchedEnd;                       // the button that ends it
    };
    const SCase arrCases[] = {
        {"default parameters", ID_DEFAULT_PARAM, nullptr, {}, "COXPropSheet", DIALOG_CANCEL},
        {"settings from a reply", ID_NODE_GET, "CGetParamDlg", {}, "CParamEditor", DIALOG_CANCEL},
        {"automatic setting", ID_NODE_AUTO_SET, "CAutoSetDlg",
         [](QDialog& dlg) {
             auto* pBase = ControlWidget<QLineEdit>(dlg, 1522);
             pBase->selectAll();
             QTest::keyClicks(pBase, "192.168.1.100");
         },
         "CAutoSetErrorDlg", IDC_NOREPLY_END},
        {"initialising a model",
         ID_INIT_MODEL,
         "CInitModelDlg",
         {},
         "CInitErrorDlg",
         IDC_NOREPLY_END},
    };
    for (const SCase& c : arrCases) {
        SCOPED_TRACE(c.pszName);
        OpenDoc();
        // One node that answers, and one without an address that never does.
        AddNetwork("LINE-A",
                   {{"0080C8000001", "192.168.1.11"}, {"0080C8000002", "192.168.200.254"}});
        CNodeResponder nodes(*m_pSocket);
        nodes.SetResult("0080C8000002", CNodeResponder::SILENT);
        m_frame.show();
        SelectRow(0);
        Qt::CursorShape eShown = Qt::BlankCursor;
        CModalScript script;
        if (c.pszFirst != nullptr) {
            script.OnDialog(c.pszFirst, [&c](QDialog& dlg) {
                if (c.fnFirst) {
                    c.fnFirst(dlg);
                }
                ControlWidget<QPushButton>(dlg, DIALOG_OK)->click();
            });
        }
        script.OnDialog(c.pszWatched, [&](QDialog& dlg) {
            eShown = CursorNow();
            if (c.nWatchedEnd == DIALOG_CANCEL) {
                dlg.reject();
            } else {
                ControlWidget<QPushButton>(dlg, c.nWatchedEnd)->click();
            }
        });
        m_frame.RunCommand(c.nCommand);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(eShown, Qt::ArrowCursor);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}
