// The main window while a command works: the wait cursor gives way to every
// modal window opened meanwhile and comes back after it, and a close waits
// for the command's end.
#include "FrameFixture.h"
#include "ModalScript.h"
#include "NodeResponder.h"
#include "app/CommandTable.h"
#include "ops/DownloadProgressDlg.h"
#include "ops/NodeCommandDlgs.h"
#include "ui/BusyScope.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

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

// A close while a command runs is remembered: the command goes on to its end
// without asking anything (a dialog up now ends as by Escape, later messages
// get their Escape answer), then the window closes for good and takes the
// modeless windows with it.
TEST_F(BusyWindow, CloseDuringACommandIsCarriedOutAtItsEnd) {
    m_settings.m_nTimeout = 300;
    for (bool bDuringDialog : {false, true}) {
        SCOPED_TRACE(bDuringDialog ? "during its dialog" : "during its wait");
        OpenDoc();
        AddNetwork("LINE-A", {{"0080C8000002", "192.168.1.12"}});
        CNodeResponder nodes(*m_pSocket);
        nodes.SetResult("0080C8000002", CNodeResponder::SILENT);
        m_frame.show();
        SelectRow(0);
        int nClosed = 0;
        m_frame.SetClosedHook([&nClosed] { ++nClosed; });
        // A batch's progress window, still open.
        CDownloadProgressDlg progress;
        progress.Begin(m_ui, "192.168.1.12", "/x/APP.mot");
        progress.End(m_ui);
        ASSERT_NE(m_ui.GetModelessView(progress), nullptr);
        QStringList listBoxes;
        WhenMessageBoxShows([&listBoxes](QMessageBox& box) {
            listBoxes << box.text();
            box.done(QDialog::Rejected);
        });

        bool bRefused = false;
        CModalScript script;
        script.OnDialog("CModeChangeDlg", [&](QDialog& dlg) {
            if (bDuringDialog) {
                m_frame.RequestClose(); // as a signal does
                return;
            }
            ControlWidget<QRadioButton>(dlg, 1611)->click();
            ControlWidget<QPushButton>(dlg, DIALOG_OK)->click();
            // The close box while the command waits for the reply.
            QTimer::singleShot(50, &m_frame, [&] { bRefused = !m_frame.close(); });
        });
        m_frame.RunCommand(ID_NODE_CHANGE_MODE);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(bRefused, !bDuringDialog);
        // The request went out and its wait ran to its end, or nothing was begun.
        EXPECT_EQ(nodes.RequestLog().size(), bDuringDialog ? 0u : 1u);
        EXPECT_TRUE(listBoxes.isEmpty()) << listBoxes.join('\n').toStdString();
        EXPECT_EQ(nClosed, 1);
        EXPECT_FALSE(m_frame.isVisible());
        EXPECT_FALSE(m_frame.IsClosePending());
        EXPECT_EQ(m_ui.GetModelessView(progress), nullptr);
        EXPECT_FALSE(progress.IsOpen());
        m_frame.SetClosedHook({});
        m_vecTimers.clear();
    }
}
