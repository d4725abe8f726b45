// The program side of the close tests: the manager's real run, with a driver
// inside that starts one command, answers its dialogs as an operator would,
// and closes the window when the case's wait has gone on long enough.
#include "CloseCases.h"
#include "VirtualDisplay.h"
#include "app/CommandTable.h"
#include "doc/OrvixDoc.h"
#include "gui/MainFrame.h"
#include "gui/ManagerMain.h"
#include "gui/ManagerSession.h"
#include "gui/ModalScript.h"
#include "gui/OrvixView.h"
#include "gui/QtUi.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {
// What the driven program tells the test, one line each.
void Tell(const char* pszWhat) {
    std::printf("%s %lld\n", pszWhat, static_cast<long long>(NowMs()));
    std::fflush(stdout);
}

QWidget* ShownWindow(const char* pszName) {
    for (QWidget* pWidget : QApplication::topLevelWidgets()) {
        if (pWidget->objectName() == QString::fromUtf8(pszName) && pWidget->isVisible()) {
            return pWidget;
        }
    }
    return nullptr;
}

// Inside the program: runs the case's command, answers its dialogs as an
// operator would, and closes when its wait has gone on for the case's delay.
class CDriver : public QObject {
public:
    CDriver(CManagerSession& session, const SCloseCase& c)
        : QObject(&session.GetFrame()), m_frame(session.GetFrame()), m_case(c) {
        std::string strImage = std::getenv("MRVT_IMAGE");
        session.GetUi().SetFileChooser([strImage](const SFileChoice&, std::string& strPath) {
            strPath = strImage;
            return true;
        });
        COrvixDoc& doc = *session.GetDoc();
        doc.UpdateNodeDetails(0, "", KEPT_REMARK);
        doc.m_listIpAddr = {CIpSearchList{"192.168.1.52"}};
        doc.m_listSearchTarget = {CIpSearchList{"192.168.1.52"}};
        Script();
        auto* pPoll = new QTimer(this);
        connect(pPoll, &QTimer::timeout, this, [this] { Poll(); });
        pPoll->start(5);
        int nCommand = Command();
        if (nCommand != 0) {
            QTimer::singleShot(0, this, [this, nCommand] {
                COrvixView& view = *m_frame.GetView();
                // The silent node is the second row.
                int nRow = m_case.eWait == EWait::NoReply ? 1 : 0;
                view.setCurrentIndex(view.model()->index(nRow, 0));
                m_bStarted = true;
                m_frame.RunCommand(nCommand);
            });
        }
        Tell("shown");
    }

private:
    int Command() const {
        switch (m_case.eWait) {
        case EWait::SearchProbes:
        case EWait::SearchCollection:
            return ID_NODE_SEARCH;
        case EWait::IpSearch:
            return ID_NODE_IP_SEARCH;
        case EWait::NoReply:
            return ID_NODE_CHANGE_MODE;
        case EWait::RestartPause:
        case EWait::FtpRun:
            return ID_APP_DOWNLOAD_NODE;
        case EWait::Batch:
        case EWait::ProgressOpen:
            return ID_APP_DOWNLOAD_BATCH;
        case EWait::Idle:
            break;
        }
        return 0;
    }

    void Script() {
        switch (m_case.eWait) {
        case EWait::IpSearch:
            m_script.OnDialog("CIpSearchDlg", [this](QDialog& dlg) {
                m_bAnswered = true;
                ControlWidget<QPushButton>(dlg, 1307)->click();
            });
            break;
        case EWait::NoReply:
            m_script.OnDialog("CModeChangeDlg", [this](QDialog& dlg) {
                m_bAnswered = true;
                ControlWidget<QRadioButton>(dlg, 1611)->click();
                ControlWidget<QPushButton>(dlg, 1)->click();
            });
            break;
        case EWait::Batch:
        case EWait::ProgressOpen:
            m_script
                .OnDialog("CDownloadTargetDlg",
                          [](QDialog& dlg) {
                              DoubleClickListRow(ControlWidget<QListWidget>(dlg, 1154), 0);
                              ControlWidget<QPushButton>(dlg, 1)->click();
                          })
                .OnMessageBox([](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
            if (m_case.eWait == EWait::ProgressOpen) {
                m_script.OnMessageBox(
                    [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
            }
            break;
        default:
            break;
        }
    }

    // The case's wait is going on.
    bool WaitBegan() const {
        switch (m_case.eWait) {
        case EWait::Idle:
            return true;
        case EWait::SearchProbes:
        case EWait::SearchCollection:
        case EWait::RestartPause:
            return m_bStarted;
        case EWait::IpSearch:
        case EWait::NoReply:
            return m_bAnswered && QApplication::activeModalWidget() == nullptr;
        case EWait::FtpRun:
            return fs::exists(std::getenv("MRVT_FTP_MARK"));
        case EWait::Batch:
            return ShownWindow("CDownloadProgressDlg") != nullptr;
        case EWait::ProgressOpen: {
            QWidget* pProgress = ShownWindow("CDownloadProgressDlg");
            auto* pOk = pProgress != nullptr ? pProgress->findChild<QPushButton*>("id1") : nullptr;
            return pOk != nullptr && pOk->isEnabled() &&
                   QApplication::activeModalWidget() == nullptr &&
                   m_frame.GetStatusText() == QString::fromUtf8("ﾚﾃﾞｨ");
        }
        }
        return false;
    }

    void Poll() {
        if (m_llBegan == 0 && WaitBegan()) {
            m_llBegan = NowMs();
        }
        if (m_llBegan == 0 || m_bClosed || NowMs() - m_llBegan < m_case.nDelayMs) {
            return;
        }
        m_bClosed = true;
        Tell("close");
        switch (m_case.eClose) {
        case EClose::Box:
            SendWindowManagerClose(static_cast<unsigned long>(m_frame.winId()));
            break;
        case EClose::Exit:
            m_frame.FindAction(ID_APP_EXIT)->trigger();
            break;
        case EClose::Term:
        case EClose::Hup:
            break; // sent by the test from outside
        }
    }

    CMainFrame& m_frame;
    const SCloseCase& m_case;
    CModalScript m_script{60000};
    bool m_bStarted = false;
    bool m_bAnswered = false;
    bool m_bClosed = false;
    int64_t m_llBegan = 0;
};

} // namespace

int RunDrivenManager(int argc, char** argv) {
    const SCloseCase* pCase = FindCase(std::getenv("MRVT_CLOSE_CASE"));
    if (pCase == nullptr) {
        return 99;
    }
    SStartHooks hooks;
    hooks.fnRunning = [pCase](CManagerSession& session) {
        new CDriver(session, *pCase); // a child of the window
    };
    // argv[1] is --drive; the program sees the rest.
    std::vector<char*> vecArgs{argv[0]};
    for (int i = 2; i < argc; ++i) {
        vecArgs.push_back(argv[i]);
    }
    vecArgs.push_back(nullptr);
    return RunManager(static_cast<int>(vecArgs.size()) - 1, vecArgs.data(), hooks);
}
