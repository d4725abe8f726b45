// Closing the manager while it works. The program is the real one (its start,
// window, signals and event loop; only main() is this file's) on a virtual X
// display (Xvfb), driven on a test network through one command; while the
// command waits, the X server asks its window to close as a window manager
// does, ﾌｧｲﾙ → ｱﾌﾟﾘｹｰｼｮﾝの終了 is chosen, or a signal comes from outside.
// Each time the run must end soon after the command, with its data file
// saved, its lock and port free, and the next start must show its window.
#include "MemoryDatagramSocket.h"
#include "RawNodeClient.h"
#include "ScratchDir.h"
#include "ScriptedUi.h"
#include "WindowManagerClose.h"
#include "app/CommandTable.h"
#include "doc/OrvixDoc.h"
#include "gui/MainFrame.h"
#include "gui/ManagerMain.h"
#include "gui/ManagerSession.h"
#include "gui/ModalScript.h"
#include "gui/OrvixView.h"
#include "gui/QtUi.h"
#include "platform/PollMessagePump.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
namespace fs = std::filesystem;

namespace {
const char MAC_FIRST[] = "0080D4500001";  // 192.168.1.51
const char MAC_SECOND[] = "0080D4500002"; // 192.168.1.52, not registered at first
const char MAC_SILENT[] = "0080D4500003"; // 192.168.1.53, never answers
const char KEPT_REMARK[] = "UNSAVED";     // made in memory; only a save keeps it
const std::string IMAGE = "S0100000544553544150502056312E303297\r\n"
                          "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                          "S9030000FC\r\n";

enum class EWait {
    Idle,
    SearchProbes,     // the 16 probes, 50 ms apart
    SearchCollection, // the replies' collection window after them
    IpSearch,         // the pause after the probes to chosen addresses
    NoReply,          // a mode change nobody answers
    RestartPause,     // the 3000 ms a node takes to restart for a download
    FtpRun,           // the ftp client putting the file
    Batch,            // a batch download
    ProgressOpen,     // after a batch, its progress window still open
};
enum class EClose { Box, Exit, Term, Hup };

struct SCloseCase {
    const char* pszName;
    EWait eWait;
    EClose eClose;
    int nDelayMs;  // from the start of the wait to the close
    int nRemainMs; // the longest the command may run on after the close
};

// clang-format off
const SCloseCase CASES[] = {
    {"probes-box",      EWait::SearchProbes,     EClose::Box,  300,  2000},
    {"probes-term",     EWait::SearchProbes,     EClose::Term, 300,  2000},
    {"collection-box",  EWait::SearchCollection, EClose::Box,  1300, 1000},
    {"ipsearch-box",    EWait::IpSearch,         EClose::Box,  300,  2300},
    {"noreply-box",     EWait::NoReply,          EClose::Box,  500,  4500},
    {"restart-box",     EWait::RestartPause,     EClose::Box,  1000, 2500},
    {"ftp-box",         EWait::FtpRun,           EClose::Box,  200,  4000},
    {"ftp-hup",         EWait::FtpRun,           EClose::Hup,  200,  4000},
    {"batch-box",       EWait::Batch,            EClose::Box,  500,  5000},
    {"batch-term",      EWait::Batch,            EClose::Term, 500,  5000},
    {"progress-exit",   EWait::ProgressOpen,     EClose::Exit, 200,  0},
    {"progress-box",    EWait::ProgressOpen,     EClose::Box,  200,  0},
    {"idle-term",       EWait::Idle,             EClose::Term, 200,  0},
};
// clang-format on

const SCloseCase* FindCase(const char* pszName) {
    for (const SCloseCase& c : CASES) {
        if (pszName != nullptr && std::strcmp(c.pszName, pszName) == 0) {
            return &c;
        }
    }
    return nullptr;
}

int64_t NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

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

// -------------------------------------------------------------- the program

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

int RunDriven(int argc, char** argv) {
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

// ----------------------------------------------------------------- the test

// A document on strPath that saves there at its end.
struct SFileDoc {
    explicit SFileDoc(const std::string& strPath)
        : doc(SDocEnv{ui, pump, clock, settings, param, strPath},
              std::make_unique<CMemoryDatagramSocket>()) {}
    CScriptedUi ui;
    CSystemClock clock;
    CPollMessagePump pump;
    SAppSettings settings;
    NODEPARAM param{};
    COrvixDoc doc;
};

// MAC -> remarks of the first network in a data file, read from a copy.
std::map<std::string, std::string> NodesIn(const std::string& strPath) {
    CScratchDir copy;
    CScratchDir::Write(copy.File("copy.dat"), CScratchDir::Read(strPath));
    SFileDoc file(copy.File("copy.dat"));
    std::map<std::string, std::string> map;
    if (!file.doc.m_arrNets.empty()) {
        for (const COXParam& node : file.doc.m_arrNets[0]->m_arrNodes) {
            map[node.m_strMac] = node.m_strRemarks;
        }
    }
    return map;
}

bool PortIsFree(uint16_t wPort) {
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(wPort);
    bool bFree = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return bFree;
}

// One run of the driven program.
struct SRun {
    int nExit = -1;      // -1: did not end normally, or was killed at the deadline
    int64_t llShown = 0; // when its window was up
    int64_t llClose = 0; // when it closed, or the signal went out
    int64_t llEnd = 0;   // when it had ended
    std::string strOut;
};

SRun RunCase(const SCloseCase& c, const std::vector<std::string>& vecEnv,
             const std::string& strData) {
    std::vector<std::string> vecArgs{fs::read_symlink("/proc/self/exe").string(), "--drive",
                                     strData};
    std::vector<char*> vecArgv;
    for (std::string& str : vecArgs) {
        vecArgv.push_back(str.data());
    }
    vecArgv.push_back(nullptr);
    std::vector<std::string> vecEnvAll;
    for (char** pp = environ; *pp != nullptr; ++pp) {
        std::string str = *pp;
        std::string strName = str.substr(0, str.find('=') + 1);
        bool bSet = strName == "WAYLAND_DISPLAY=" || strName == "XDG_CONFIG_HOME=";
        for (const std::string& strOwn : vecEnv) {
            bSet = bSet || strOwn.rfind(strName, 0) == 0;
        }
        if (!bSet) {
            vecEnvAll.push_back(str);
        }
    }
    vecEnvAll.insert(vecEnvAll.end(), vecEnv.begin(), vecEnv.end());
    std::vector<char*> vecEnvp;
    for (std::string& str : vecEnvAll) {
        vecEnvp.push_back(str.data());
    }
    vecEnvp.push_back(nullptr);

    SRun run;
    int afd[2];
    if (::pipe2(afd, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, afd[1], STDOUT_FILENO);
    pid_t pid = -1;
    int nError = posix_spawn(&pid, vecArgv[0], &actions, nullptr, vecArgv.data(), vecEnvp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(afd[1]);
    if (nError != 0) {
        ::close(afd[0]);
        return run;
    }
    // Started, shown, closed: each within its time, else the run is killed.
    const int64_t llStart = NowMs();
    std::string strPending;
    for (;;) {
        int64_t llNow = NowMs();
        int64_t llDeadline =
            run.llClose != 0 ? run.llClose + c.nRemainMs + 2000 + 8000 : llStart + 60000;
        int nStatus = 0;
        if (::waitpid(pid, &nStatus, WNOHANG) == pid) {
            run.llEnd = llNow;
            run.nExit = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
            break;
        }
        if (llNow > llDeadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &nStatus, 0);
            run.llEnd = 0;
            break;
        }
        pollfd pfd{afd[0], POLLIN, 0};
        if (::poll(&pfd, 1, 10) > 0) {
            char sz[256];
            ssize_t n = ::read(afd[0], sz, sizeof sz);
            if (n > 0) {
                strPending.append(sz, static_cast<size_t>(n));
            }
        }
        for (size_t nEol; (nEol = strPending.find('\n')) != std::string::npos;) {
            std::string strLine = strPending.substr(0, nEol);
            strPending.erase(0, nEol + 1);
            run.strOut += strLine + "\n";
            long long llAt = 0;
            char szWhat[32] = {};
            if (std::sscanf(strLine.c_str(), "%31s %lld", szWhat, &llAt) != 2) {
                continue;
            }
            if (std::strcmp(szWhat, "shown") == 0) {
                run.llShown = llAt;
            } else if (std::strcmp(szWhat, "close") == 0) {
                run.llClose = llAt;
                if (c.eClose == EClose::Term || c.eClose == EClose::Hup) {
                    ::kill(pid, c.eClose == EClose::Term ? SIGTERM : SIGHUP);
                }
            }
        }
    }
    ::close(afd[0]);
    return run;
}

// A virtual X display of its own while this lives, on the first number no
// other server holds; its number is empty when it could not be started.
class CVirtualDisplay {
public:
    CVirtualDisplay() {
        for (int nDisplay = 90; nDisplay < 190 && m_strNumber.empty(); ++nDisplay) {
            std::string strNumber = std::to_string(nDisplay);
            if (fs::exists("/tmp/.X" + strNumber + "-lock")) {
                continue;
            }
            std::vector<std::string> vecArgs{"/usr/bin/Xvfb", ":" + strNumber, "-nolisten",
                                             "tcp",           "-screen",       "0",
                                             "1024x768x24"};
            std::vector<char*> vecArgv;
            for (std::string& str : vecArgs) {
                vecArgv.push_back(str.data());
            }
            vecArgv.push_back(nullptr);
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
            int nError =
                posix_spawn(&m_pid, vecArgv[0], &actions, nullptr, vecArgv.data(), environ);
            posix_spawn_file_actions_destroy(&actions);
            if (nError != 0) {
                return;
            }
            // Up once it takes connections; gone when the number was taken after all.
            for (int64_t llEnd = NowMs() + 20000; NowMs() < llEnd;) {
                if (CanOpenDisplay(":" + strNumber)) {
                    m_strNumber = strNumber;
                    break;
                }
                if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                    m_pid = -1;
                    break;
                }
                ::usleep(20000);
            }
        }
    }
    ~CVirtualDisplay() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    CVirtualDisplay(const CVirtualDisplay&) = delete;
    CVirtualDisplay& operator=(const CVirtualDisplay&) = delete;

    const std::string& Number() const { return m_strNumber; }

private:
    pid_t m_pid = -1;
    std::string m_strNumber;
};

class ManagerClose : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_TRUE(m_control.IsOpen());
        ASSERT_FALSE(m_display.Number().empty()) << "no virtual display (package xvfb)";
        const char* pszDir = std::getenv("MRVT_DIR");
        ASSERT_NE(pszDir, nullptr);
        m_dir = fs::path(pszDir) / "close";
        // One user session for every run: its lock is the one a new start meets.
        for (const char* pszSub : {"home", "run", "tmp", "bin"}) {
            fs::create_directories(m_dir / pszSub);
        }
        fs::permissions(m_dir / "run", fs::perms::owner_all);
        m_strImage = (m_dir / "TESTAPP.mot").string();
        std::ofstream(m_strImage, std::ios::binary) << IMAGE;
        // A client that takes a second before it starts, so that the run can
        // be caught while it goes on; the mark says it has begun.
        std::string strWrapper = (m_dir / "bin" / "ftp").string();
        std::ofstream(strWrapper) << "#!/bin/sh\n: > \"$MRVT_FTP_MARK\"\nsleep 1\n"
                                     "exec /usr/bin/ftp \"$@\"\n";
        fs::permissions(strWrapper, fs::perms::owner_all);
    }

    std::vector<std::string> Environment(const SCloseCase& c, const std::string& strMark) const {
        std::vector<std::string> vec = {
            "HOME=" + (m_dir / "home").string(),
            "XDG_RUNTIME_DIR=" + (m_dir / "run").string(),
            "TMPDIR=" + (m_dir / "tmp").string(),
            "DISPLAY=:" + m_display.Number(),
            "QT_QPA_PLATFORM=xcb",
            std::string("MRVT_CLOSE_CASE=") + c.pszName,
            "MRVT_IMAGE=" + m_strImage,
            "MRVT_FTP_MARK=" + strMark,
        };
        if (c.eWait == EWait::FtpRun) {
            vec.push_back("PATH=" + (m_dir / "bin").string() + ":" + std::getenv("PATH"));
        }
        return vec;
    }

    std::string Control(const std::string& strLine) { return m_control.Request(strLine); }

    CVirtualDisplay m_display;
    CSimControlClient m_control;
    fs::path m_dir;
    std::string m_strImage;
};
} // namespace

TEST_F(ManagerClose, EveryKindOfWaitEndsTheRunWithItsWorkDoneAndSaved) {
    for (const SCloseCase& c : CASES) {
        SCOPED_TRACE(c.pszName);
        // A network with the first and the silent node.
        std::string strData = (m_dir / (std::string(c.pszName) + ".dat")).string();
        {
            SFileDoc file(strData);
            file.doc.AddNetwork("LINE-C", 0xFFFFFF00u, 0xC0A80101u);
            file.doc.AddOrUpdateNode(0, 0xC0A80133u, MAC_FIRST, true, "", "");
            file.doc.AddOrUpdateNode(0, 0xC0A80135u, MAC_SILENT, true, "", "");
        }
        std::string strMark = (m_dir / (std::string(c.pszName) + ".ftp")).string();
        SRun run = RunCase(c, Environment(c, strMark), strData);
        // The window came up (the run before left the lock free), and the close came.
        if (run.llShown == 0 || run.llClose == 0 || run.llEnd == 0) {
            ADD_FAILURE() << (run.llShown == 0   ? "no window"
                              : run.llClose == 0 ? "no close"
                                                 : "still running long after the close")
                          << "\n"
                          << run.strOut;
            continue;
        }
        EXPECT_EQ(run.nExit, 0);
        int64_t llAfter = run.llEnd - run.llClose;
        EXPECT_LE(llAfter, c.nRemainMs + 2000);
        std::printf("%-16s ended %lld ms after the close\n", c.pszName,
                    static_cast<long long>(llAfter));

        // Saved, with what the command found.
        std::map<std::string, std::string> mapNodes = NodesIn(strData);
        EXPECT_EQ(mapNodes[MAC_FIRST], KEPT_REMARK);
        bool bSearch = c.eWait == EWait::SearchProbes || c.eWait == EWait::SearchCollection ||
                       c.eWait == EWait::IpSearch;
        EXPECT_EQ(mapNodes.count(MAC_SECOND), bSearch ? 1u : 0u);
        // Nothing holds the lock or the port.
        CSingleInstanceLock lock((m_dir / "run" / "mrvmgr.lock").string());
        EXPECT_TRUE(lock.IsOwner());
        EXPECT_TRUE(PortIsFree(65532));

        // A download went through to its end, or was not begun: the node is
        // back in operation either way.
        if (c.eWait == EWait::RestartPause) {
            EXPECT_NE(Control(std::string("WAIT ") + MAC_FIRST +
                              " mode=0 run=up nofile=TESTAPP.mot timeout=5000")
                          .find("OK"),
                      std::string::npos);
        }
        if (c.eWait == EWait::FtpRun || c.eWait == EWait::Batch || c.eWait == EWait::ProgressOpen) {
            EXPECT_NE(Control(std::string("WAIT ") + MAC_FIRST +
                              " mode=0 run=up file=TESTAPP.mot timeout=5000")
                          .find("OK"),
                      std::string::npos);
        }
    }
}

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--drive") == 0) {
        return RunDriven(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
