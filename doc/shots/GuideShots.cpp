// Makes the guide's pictures from the real program: the manager's own run on
// a virtual X display (Xvfb), on the demo's simulated nodes of a test network
// (scripts/testnet). A driver inside goes through the menu commands in menu
// order with the GUI tests' helpers (control widgets by id, list rows, menus
// opened as by the mouse); every window that comes up is saved as a picture
// under its form's name before the driver answers it. Run by
// doc/make-screenshots, which says how.
//   guide_shots OUTDIR                 the program's windows
//   guide_shots --grab-screen FILE     the whole display named by DISPLAY
#include "RawNodeClient.h"
#include "VirtualDisplay.h"
#include "app/CommandTable.h"
#include "gui/MainFrame.h"
#include "gui/ManagerMain.h"
#include "gui/ManagerSession.h"
#include "gui/ModalScript.h"
#include "gui/OrvixView.h"
#include "gui/QtUi.h"
#include "gui/RecentFiles.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
// An application image whose header names it "TESTAPP V1.02".
const char IMAGE[] = "S0100000544553544150502056312E303297\r\n"
                     "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                     "S9030000FC\r\n";
const char SILENT_NODE[] = "0080D4200006";

// Saves each window once, under its name, as the operator sees it.
class CShooter : public QObject {
public:
    using FnAct = std::function<void(QWidget&)>;

    CShooter(CManagerSession& session, std::string strOut, std::string strImage)
        : QObject(&session.GetFrame()), m_session(session), m_frame(session.GetFrame()),
          m_strOut(std::move(strOut)), m_strImage(std::move(strImage)) {
        auto* pPoll = new QTimer(this);
        connect(pPoll, &QTimer::timeout, this, [this] { Poll(); });
        pPoll->start(20);
        // The guide is not opened while the pictures are made.
        m_frame.SetHelpOpener([](const std::string&) { return true; });
        QTimer::singleShot(300, this, [this] { Run(); });
    }

private:
    void Save(QWidget& widget, const std::string& strName) {
        if (!m_setSaved.insert(strName).second) {
            return;
        }
        std::string strPath = m_strOut + "/" + strName + ".png";
        if (!widget.grab().save(QString::fromStdString(strPath), "PNG")) {
            std::fprintf(stderr, "guide_shots: cannot write %s\n", strPath.c_str());
            m_bFailed = true;
            return;
        }
        std::printf("%s\n", strPath.c_str());
        std::fflush(stdout);
    }

    // The name a modal window is saved under: its form's, or the box's own.
    std::string NameOf(QWidget& top) {
        if (qobject_cast<QFileDialog*>(&top) != nullptr) {
            return "file-dialog";
        }
        if (auto* pBox = qobject_cast<QMessageBox*>(&top)) {
            auto it = m_mapMessageNames.find(pBox->text().toStdString());
            return it != m_mapMessageNames.end() ? it->second : std::string();
        }
        return top.objectName().toStdString();
    }

    // The top modal window, once it has been up a moment: saved, then the
    // action meant for it, else Escape (a message box: its first button).
    void Poll() {
        // Modeless windows (the information window while a download runs):
        // once each has been up a moment.
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            if (pWidget != &m_frame && pWidget->isVisible() && !pWidget->isModal() &&
                qobject_cast<QDialog*>(pWidget) != nullptr && ++m_mapModeless[pWidget] == 8) {
                Save(*pWidget, pWidget->objectName().toStdString());
            }
        }
        QWidget* pTop = QApplication::activeModalWidget();
        if (pTop == nullptr || !pTop->isVisible()) {
            m_pSeen = nullptr;
            return;
        }
        if (pTop != m_pSeen) {
            m_pSeen = pTop;
            m_nPolls = 0;
            return;
        }
        // One that an action is still busy with (its button opened the one
        // before) is left to that action.
        if (++m_nPolls != 8 || m_setActing.count(pTop) != 0) {
            return;
        }
        std::string strName = NameOf(*pTop);
        auto* pBoxSeen = qobject_cast<QMessageBox*>(pTop);
        std::fprintf(stderr, "guide_shots: window %s \"%s\" %s\n",
                     pTop->objectName().toUtf8().constData(),
                     pTop->windowTitle().toUtf8().constData(),
                     pBoxSeen != nullptr ? pBoxSeen->text().toUtf8().constData() : "");
        if (!strName.empty()) {
            Save(*pTop, strName);
        }
        FnAct fn;
        auto it = m_mapActions.find(strName);
        if (it != m_mapActions.end() && !it->second.empty()) {
            fn = it->second.front();
            it->second.erase(it->second.begin());
        }
        // Out of the timer: a window the action opens is polled meanwhile.
        m_setActing.insert(pTop);
        QPointer<QWidget> pWindow(pTop);
        QTimer::singleShot(0, this, [this, pWindow, pTop, fn] {
            if (pWindow != nullptr) {
                if (fn) {
                    fn(*pWindow);
                } else if (auto* pBox = qobject_cast<QMessageBox*>(pWindow.data())) {
                    pBox->buttons().front()->click();
                } else if (auto* pDialog = qobject_cast<QDialog*>(pWindow.data())) {
                    pDialog->reject();
                }
            }
            m_setActing.erase(pTop);
        });
    }

    void Then(const std::string& strName, FnAct fn) {
        m_mapActions[strName].push_back(std::move(fn));
    }

    void SelectRow(int nRow) {
        COrvixView& view = *m_frame.GetView();
        view.setCurrentIndex(view.model()->index(nRow, 0));
    }

    // A menu of the menu bar opened as with the mouse, saved, closed.
    void ShootMenu(const char* pszTitle, const std::string& strName) {
        for (QAction* pTop : m_frame.menuBar()->actions()) {
            if (pTop->text() == QString::fromUtf8(pszTitle) && pTop->menu() != nullptr) {
                QMenu* pMenu = pTop->menu();
                pMenu->popup(m_frame.mapToGlobal(QPoint(0, 0)));
                QTest::qWait(300);
                Save(*pMenu, strName);
                pMenu->hide();
            }
        }
    }

    // The modeless windows up now.
    void ShootModeless() {
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            if (pWidget != &m_frame && pWidget->isVisible() && qobject_cast<QDialog*>(pWidget)) {
                Save(*pWidget, pWidget->objectName().toStdString());
            }
        }
    }

    void Command(int nId) {
        std::fprintf(stderr, "guide_shots: command %d\n", nId);
        if (m_frame.GetView()->GetSelectedIndex() < 0) {
            SelectRow(0);
        }
        m_frame.RunCommand(nId);
        QTest::qWait(400);
        ShootModeless();
    }

    void Fault(const char* pszMac, const char* pszFault) {
        CSimControlClient control;
        if (!control.IsOpen() ||
            control.Request(std::string("FAULT ") + pszMac + " " + pszFault).find("OK") ==
                std::string::npos) {
            std::fprintf(stderr, "guide_shots: the simulator did not take %s\n", pszFault);
            m_bFailed = true;
        }
    }

    void Run() {
        m_frame.resize(760, 360);
        Save(m_frame, "main-empty");
        // ﾈｯﾄﾜｰｸ → 新規登録: a name typed, OK.
        Then("CNetworkDlg", [](QWidget& dlg) {
            auto* pName = ControlWidget<QLineEdit>(dlg, 1500);
            pName->setFocus();
            QTest::keyClicks(pName, "LINE-A");
            ControlWidget<QPushButton>(dlg, 1)->click();
        });
        Command(ID_NETWORK_NEW);
        Command(ID_NODE_SEARCH);
        Save(m_frame, "main");
        ShootMenu("ﾌｧｲﾙ(&F)", "menu-file");
        ShootMenu("ﾈｯﾄﾜｰｸ(&N)", "menu-network");
        ShootMenu("管理(&T)", "menu-manage");
        ShootMenu("表示(&V)", "menu-view");
        ShootMenu("ﾍﾙﾌﾟ(&H)", "menu-help");
        SelectRow(0);
        m_frame.GetContextMenu()->popup(m_frame.mapToGlobal(QPoint(80, 80)));
        QTest::qWait(300);
        Save(*m_frame.GetContextMenu(), "menu-context");
        m_frame.GetContextMenu()->hide();
        Command(ID_NETWORK_PROPERTIES);
        m_mapMessageNames["ﾈｯﾄﾜｰｸ \"LINE-A\" を削除します。よろしいですか？"] =
            "msg-network-delete";

        Command(ID_NODE_REFRESH_SEARCH);
        Command(ID_NODE_IP_SEARCH);
        Command(ID_NODE_SEARCH_INTERFACE);

        // Automatic assignment with one addressless node silent: its error window.
        Fault(SILENT_NODE, "silent on");
        Then("CAutoSetDlg", [](QWidget& dlg) {
            for (auto [nId, pszText] : {std::pair{1522, "192.168.1.100"}, std::pair{1523, "1"}}) {
                auto* pEdit = ControlWidget<QLineEdit>(dlg, nId);
                pEdit->setFocus();
                pEdit->selectAll();
                QTest::keyClicks(pEdit, pszText);
            }
            ControlWidget<QPushButton>(dlg, 1)->click();
        });
        Then("CAutoSetErrorDlg",
             [](QWidget& dlg) { ControlWidget<QPushButton>(dlg, 1634)->click(); });
        Command(ID_NODE_AUTO_SET);
        Fault(SILENT_NODE, "silent off");

        // 個別設定: the settings dialog and its three sub-dialogs.
        SelectRow(0);
        Then("CParamEditor", [](QWidget& dlg) {
            for (int nId : {1049, 1055, 1054}) {
                ControlWidget<QPushButton>(dlg, nId)->click();
            }
            static_cast<QDialog&>(dlg).reject();
        });
        Command(ID_NODE_SET);
        Then("CGetParamDlg", [](QWidget& dlg) { ControlWidget<QPushButton>(dlg, 1)->click(); });
        Command(ID_NODE_GET);
        Command(ID_NODE_CHANGE_MODE);

        // A single download: the file dialog in the folder of the last one.
        WriteDownloadFolder(*OpenUserSettings(),
                            QString::fromStdString(fs::path(m_strImage).parent_path().string()));
        m_mapMessageNames["ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました"] = "msg-download-done";
        m_mapMessageNames["全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡"] = "msg-batch-done";
        // The name typed into the dialog, its Open button clicked.
        auto ChooseImage = [this](QWidget& dlg) {
            if (auto* pName = dlg.findChild<QLineEdit*>("fileNameEdit")) {
                pName->setFocus();
                QTest::keyClicks(pName, QString::fromStdString(fs::path(m_strImage).filename()));
            }
            if (auto* pButtons = dlg.findChild<QDialogButtonBox*>("buttonBox")) {
                pButtons->button(QDialogButtonBox::Open)->click();
            }
        };
        Then("file-dialog", ChooseImage);
        Then("file-dialog", ChooseImage);
        Command(ID_APP_DOWNLOAD_NODE);
        m_setSaved.erase("file-dialog");
        // The batch: three nodes chosen.
        Then("CDownloadTargetDlg", [](QWidget& dlg) {
            auto* pList = ControlWidget<QListWidget>(dlg, 1154);
            for (int nRow : {0, 1, 2}) {
                DoubleClickListRow(pList, nRow);
            }
            ControlWidget<QPushButton>(dlg, 1)->click();
        });
        Command(ID_APP_DOWNLOAD_BATCH);
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            if (pWidget->objectName() == "CDownloadProgressDlg" && pWidget->isVisible()) {
                m_setSaved.erase("CDownloadProgressDlg");
                Save(*pWidget, "CDownloadProgressDlg");
                pWidget->close();
            }
        }

        SelectRow(0);
        Then("CGetVersionDlg", [](QWidget& dlg) { ControlWidget<QPushButton>(dlg, 1)->click(); });
        Command(ID_NODE_VERSION_INFO);
        Command(ID_NODE_FILE_INFO);
        Command(ID_NODE_DELETE_APP);
        Command(ID_NODE_NEW);
        Command(ID_NODE_PROPERTIES);
        Command(ID_DEFAULT_PARAM);
        Command(ID_INIT_NODE);
        // Every node of the model, one of them silent: the error window.
        Fault(SILENT_NODE, "silent on");
        Then("CInitModelDlg", [](QWidget& dlg) { ControlWidget<QPushButton>(dlg, 1)->click(); });
        Then("CInitErrorDlg", [](QWidget& dlg) { ControlWidget<QPushButton>(dlg, 1634)->click(); });
        Command(ID_INIT_MODEL);
        Fault(SILENT_NODE, "silent off");
        // The log of all that, newest first.
        Command(ID_VIEW_OPERATION_LOG);
        for (QWidget* pWidget : QApplication::topLevelWidgets()) {
            if (pWidget->objectName() == "COperationLogDlg" && pWidget->isVisible()) {
                pWidget->close();
            }
        }
        Command(ID_APP_ABOUT);
        m_frame.close();
        if (m_bFailed) {
            QCoreApplication::exit(1);
        }
    }

    CManagerSession& m_session;
    CMainFrame& m_frame;
    std::string m_strOut;
    std::string m_strImage;
    std::set<std::string> m_setSaved;
    std::map<std::string, std::vector<FnAct>> m_mapActions;
    std::map<std::string, std::string> m_mapMessageNames;
    QWidget* m_pSeen = nullptr;
    int m_nPolls = 0;
    std::set<QWidget*> m_setActing;
    std::map<QWidget*, int> m_mapModeless;
    bool m_bFailed = false;
};

int GrabScreen(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen != nullptr && pScreen->grabWindow(0).save(QString::fromLocal8Bit(argv[2]), "PNG")
               ? 0
               : 1;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--grab-screen") {
        return GrabScreen(argc, argv);
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: guide_shots OUTDIR | --grab-screen FILE\n");
        return 2;
    }
    if (!RawInsideTestNetwork()) {
        std::fprintf(stderr, "guide_shots: runs only inside scripts/testnet\n");
        return 2;
    }
    std::string strOut = fs::absolute(argv[1]).string();
    fs::create_directories(strOut);
    // A user session of its own: settings, lock, data file and image.
    char szScratch[] = "/tmp/guide-shots-XXXXXX";
    if (::mkdtemp(szScratch) == nullptr) {
        return 1;
    }
    fs::path scratch = szScratch;
    for (const char* pszSub : {"config", "run", "images"}) {
        fs::create_directories(scratch / pszSub);
    }
    fs::permissions(scratch / "run", fs::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (scratch / "run").c_str(), 1);
    std::string strImage = (scratch / "images" / "TESTAPP.mot").string();
    std::ofstream(strImage, std::ios::binary) << IMAGE;
    std::ofstream((scratch / "images" / "KERNEL.mot").string(), std::ios::binary) << IMAGE;

    int nResult = 1;
    {
        CVirtualDisplay display;
        if (display.Number().empty()) {
            std::fprintf(stderr, "guide_shots: no virtual display (package xvfb)\n");
            return 1;
        }
        setenv("DISPLAY", (":" + display.Number()).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        unsetenv("WAYLAND_DISPLAY");
        SStartHooks hooks;
        hooks.fnRunning = [&](CManagerSession& session) {
            new CShooter(session, strOut, strImage); // a child of the window
        };
        std::string strData = (scratch / "mrvmgr.dat").string();
        std::vector<char*> vecArgs{argv[0], strData.data(), nullptr};
        nResult = RunManager(2, vecArgs.data(), hooks);
    }
    fs::remove_all(scratch);
    return nResult;
}
