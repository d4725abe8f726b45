// Start-up and end of the manager: one running copy per session (the real
// program started as a second copy), the command line, the recent-file list,
// and the exit command saving the data file.
#include "MemoryDatagramSocket.h"
#include "ScratchDir.h"
#include "app/OrvixApp.h"
#include "doc/OrvixDoc.h"
#include "gui/InstanceChannel.h"
#include "gui/MainFrame.h"
#include "gui/ManagerSession.h"
#include "gui/RecentFiles.h"
#include "platform/SingleInstance.h"
#include "ui/DialogModel.h"
#include "ui/Ui.h"

#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int PROCESS_WAIT_MS = 20000;

// A user session of its own for the real program: home, runtime folder, and
// the offscreen display.
class CUserSession {
public:
    CUserSession() {
        m_strRuntime = m_dir.File("run") + "/";
        ::mkdir(m_strRuntime.c_str(), 0700);
        ::mkdir(m_dir.File("home").c_str(), 0700);
    }
    QProcessEnvironment Environment(bool bDisplay = true) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(m_dir.File("home")));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_strRuntime));
        env.remove("XDG_CONFIG_HOME");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        if (bDisplay) {
            env.insert("QT_QPA_PLATFORM", "offscreen");
        } else {
            env.remove("QT_QPA_PLATFORM");
        }
        return env;
    }
    // The program with these arguments, started in this session.
    std::unique_ptr<QProcess> Start(const QStringList& listArgs, bool bDisplay = true) const {
        auto pProcess = std::make_unique<QProcess>();
        pProcess->setProcessEnvironment(Environment(bDisplay));
        pProcess->setWorkingDirectory(QString::fromStdString(m_dir.Dir()));
        pProcess->start(QStringLiteral(ORVIX_MRVMGR_PATH), listArgs);
        return pProcess;
    }
    QString LockPath() const { return QString::fromStdString(m_strRuntime + "mrvmgr.lock"); }
    QString SocketPath() const { return QString::fromStdString(m_strRuntime + "mrvmgr.socket"); }
    std::string File(const std::string& strName) const { return m_dir.File(strName); }
    const std::string& Runtime() const { return m_strRuntime; }

private:
    CScratchDir m_dir;
    std::string m_strRuntime;
};

// Waits for the program to end while this process keeps serving its own events.
bool WaitForEnd(QProcess& process) {
    if (process.state() == QProcess::NotRunning) {
        return true;
    }
    QSignalSpy spy(&process, &QProcess::finished);
    return spy.wait(PROCESS_WAIT_MS);
}

void Stop(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        WaitForEnd(process);
    }
}

// A UI that expects no message at all.
class CQuietUi : public CUi {
public:
    EMsgAnswer MessageBox(const std::string& strText, EMsgButtons, EMsgIcon,
                          const std::string&) override {
        ADD_FAILURE() << "unexpected message: " << strText;
        return EMsgAnswer::Ok;
    }
    int DoModal(CDialogModel&) override {
        ADD_FAILURE() << "unexpected dialog";
        return DIALOG_CANCEL;
    }
    void OpenModeless(CDialogModel&) override {}
    void RefreshModeless(CDialogModel&) override {}
    void CloseModeless(CDialogModel&) override {}
    bool ChooseFileToOpen(const SFileChoice&, std::string&) override { return false; }
    bool OpenWithDesktop(const std::string&) override { return false; }
    void SetStatusText(const std::string&) override {}
    void EnableMainWindow(bool) override {}
    void BeginWaitCursor() override {}
    void RestoreWaitCursor() override {}
    void EndWaitCursor() override {}
    void UpdateAllViews() override {}
};

// A document on strPath, read at its start and saved at its end.
struct SFileDoc {
    explicit SFileDoc(const std::string& strPath)
        : doc(SDocEnv{ui, pump, clock, settings, param, strPath},
              std::make_unique<CMemoryDatagramSocket>()) {}
    CQuietUi ui;
    CSystemClock clock;
    CQtMessagePump pump;
    SAppSettings settings;
    NODEPARAM param{};
    COrvixDoc doc;
};

// A saved data file holding one network of that name.
void WriteDataFile(const std::string& strPath, const std::string& strNetwork) {
    ::unlink(strPath.c_str());
    SFileDoc file(strPath);
    file.doc.AddNetwork(strNetwork, 0xFFFFFF00u, 0x02020202u);
}

// The network names a data file holds; read from a copy, because a document
// saves over its file at its end.
std::vector<std::string> NetworksIn(const std::string& strPath) {
    CScratchDir copy;
    std::string strCopy = copy.File("copy.dat");
    CScratchDir::Write(strCopy, CScratchDir::Read(strPath));
    SFileDoc file(strCopy);
    std::vector<std::string> vec;
    for (const auto& pNet : file.doc.m_arrNets) {
        vec.push_back(pNet->m_strName);
    }
    return vec;
}
} // namespace

TEST(SingleInstance, SecondStartBringsTheRunningCopyForwardAndEndsWithZero) {
    CUserSession session;
    // This process is the running copy: it holds the lock and listens.
    CSingleInstanceLock lock(session.LockPath().toStdString());
    ASSERT_TRUE(lock.IsOwner());
    CMainFrame frame;
    int nForward = 0;
    CInstanceServer server([&] {
        ++nForward;
        frame.ComeForward();
    });
    ASSERT_TRUE(server.Listen(session.SocketPath()));
    frame.show();
    // A modal dialog is open and the window is minimised.
    QDialog dialog(&frame);
    dialog.setModal(true);
    dialog.show();
    frame.showMinimized();
    ASSERT_TRUE(frame.isMinimized());

    auto pSecond = session.Start({});
    ASSERT_TRUE(WaitForEnd(*pSecond));
    EXPECT_EQ(pSecond->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pSecond->exitCode(), 0);
    EXPECT_EQ(nForward, 1);
    EXPECT_FALSE(frame.isMinimized());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
    dialog.hide();
}

TEST(SingleInstance, SecondStartEndsSilentlyWhenTheRunningCopyCannotBeReached) {
    CUserSession session;
    // A copy holds the lock but answers nobody (still starting, or stuck).
    CSingleInstanceLock lock(session.LockPath().toStdString());
    ASSERT_TRUE(lock.IsOwner());
    auto pSecond = session.Start({});
    ASSERT_TRUE(WaitForEnd(*pSecond));
    EXPECT_EQ(pSecond->exitStatus(), QProcess::NormalExit);
    EXPECT_NE(pSecond->exitCode(), 0);
    EXPECT_EQ(pSecond->readAllStandardOutput(), QByteArray());
    EXPECT_EQ(pSecond->readAllStandardError(), QByteArray());
}

TEST(SingleInstance, AfterTheRunningCopyWasKilledANewStartRuns) {
    CUserSession session;
    QString strData = QString::fromStdString(session.File("mrvmgr.dat"));
    auto pFirst = session.Start({strData});
    ASSERT_TRUE(AskRunningCopyToComeForward(session.SocketPath(), PROCESS_WAIT_MS, 5000));
    pFirst->kill(); // SIGKILL: no clean-up of any kind
    ASSERT_TRUE(WaitForEnd(*pFirst));
    EXPECT_EQ(pFirst->exitStatus(), QProcess::CrashExit);
    // The lock file and the socket file stay behind.
    EXPECT_TRUE(CScratchDir::Exists(session.LockPath().toStdString()));

    auto pNext = session.Start({strData});
    ASSERT_TRUE(pNext->waitForStarted());
    // It took the lock and answers on the socket: it is the running copy now.
    EXPECT_TRUE(AskRunningCopyToComeForward(session.SocketPath(), PROCESS_WAIT_MS, 5000));
    EXPECT_EQ(pNext->state(), QProcess::Running);
    CSingleInstanceLock lock(session.LockPath().toStdString());
    EXPECT_TRUE(lock.IsHeldElsewhere());
    Stop(*pNext);
}

TEST(Startup, DataFileOnTheCommandLineIsLoadedAndSaved) {
    CUserSession session;
    // A new file: the run ends by creating it.
    std::string strNew = session.File("new.dat");
    auto pRun = session.Start({QString::fromStdString(strNew)});
    ASSERT_TRUE(AskRunningCopyToComeForward(session.SocketPath(), PROCESS_WAIT_MS, 5000));
    pRun->terminate();
    ASSERT_TRUE(WaitForEnd(*pRun));
    EXPECT_EQ(pRun->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pRun->exitCode(), 0);
    EXPECT_TRUE(CScratchDir::Exists(strNew));
    EXPECT_TRUE(NetworksIn(strNew).empty());

    // A file with a network: loaded, so the save at the end keeps the network.
    std::string strOld = session.File("old.dat");
    WriteDataFile(strOld, "LINE-A");
    ASSERT_EQ(NetworksIn(strOld), std::vector<std::string>{"LINE-A"});
    pRun = session.Start({QString::fromStdString(strOld)});
    ASSERT_TRUE(AskRunningCopyToComeForward(session.SocketPath(), PROCESS_WAIT_MS, 5000));
    pRun->terminate();
    ASSERT_TRUE(WaitForEnd(*pRun));
    EXPECT_EQ(pRun->exitCode(), 0);
    EXPECT_EQ(NetworksIn(strOld), std::vector<std::string>{"LINE-A"});
}

TEST(Startup, StopWhileTheStartUpShowsAMessageEndsTheRunAndSaves) {
    CUserSession session;
    // The node port taken: the start-up reports it in a message box and waits
    // for the operator. (Taken by someone else already is as good.)
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(65532);
    int nBind = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ASSERT_TRUE(nBind == 0 || errno == EADDRINUSE);
    std::string strPath = session.File("stop.dat");
    auto pRun = session.Start({QString::fromStdString(strPath)});
    // It answers from inside the message box's loop.
    ASSERT_TRUE(AskRunningCopyToComeForward(session.SocketPath(), PROCESS_WAIT_MS, 5000));
    pRun->terminate();
    EXPECT_TRUE(WaitForEnd(*pRun));
    EXPECT_EQ(pRun->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pRun->exitCode(), 0);
    EXPECT_TRUE(CScratchDir::Exists(strPath));
    Stop(*pRun);
    ::close(fd);
}

TEST(Startup, HelpAndVersionAnswerWithoutADisplayAndEnd) {
    CUserSession session;
    auto pHelp = session.Start({"--help"}, false);
    ASSERT_TRUE(WaitForEnd(*pHelp));
    EXPECT_EQ(pHelp->exitCode(), 0);
    QString strHelp = QString::fromUtf8(pHelp->readAllStandardOutput());
    EXPECT_TRUE(strHelp.contains("Usage:")) << strHelp.toStdString();
    EXPECT_TRUE(strHelp.contains("--version"));
    EXPECT_TRUE(strHelp.contains("[FILE]"));

    auto pVersion = session.Start({"--version"}, false);
    ASSERT_TRUE(WaitForEnd(*pVersion));
    EXPECT_EQ(pVersion->exitCode(), 0);
    EXPECT_EQ(pVersion->readAllStandardOutput(), QByteArray("mrvmgr 0.94\n"));

    auto pWrong = session.Start({"--frobnicate"}, false);
    ASSERT_TRUE(WaitForEnd(*pWrong));
    EXPECT_NE(pWrong->exitCode(), 0);
    EXPECT_TRUE(pWrong->readAllStandardError().contains("frobnicate"));

    // A plain start without a display says so, and how to get one.
    auto pNoDisplay = session.Start({}, false);
    ASSERT_TRUE(WaitForEnd(*pNoDisplay));
    EXPECT_EQ(pNoDisplay->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pNoDisplay->exitCode(), 1);
    QByteArray err = pNoDisplay->readAllStandardError();
    EXPECT_TRUE(err.contains("no display")) << err.toStdString();
    EXPECT_TRUE(err.contains("xvfb-run"));
}

TEST(Startup, RecentFileListKeepsFourEntriesMostRecentFirst) {
    CScratchDir dir;
    QSettings settings(QString::fromStdString(dir.File("recent.ini")), QSettings::IniFormat);
    for (const char* psz : {"/d/a.dat", "/d/b.dat", "/d/c.dat", "/d/d.dat", "/d/e.dat"}) {
        AddRecentFile(settings, QString::fromUtf8(psz));
    }
    EXPECT_EQ(ReadRecentFiles(settings),
              QStringList({"/d/e.dat", "/d/d.dat", "/d/c.dat", "/d/b.dat"}));
    AddRecentFile(settings, "/d/c.dat");
    EXPECT_EQ(ReadRecentFiles(settings),
              QStringList({"/d/c.dat", "/d/e.dat", "/d/d.dat", "/d/b.dat"}));
    EXPECT_EQ(settings.value("Recent File List/File1").toString(), QString("/d/c.dat"));
    EXPECT_FALSE(settings.contains("Recent File List/File5"));

    auto pUser = OpenUserSettings();
    EXPECT_EQ(pUser->organizationName(), QString::fromUtf8("Kestrune"));
    EXPECT_EQ(pUser->applicationName(), QString::fromUtf8("MRV設定ﾏﾈｰｼﾞｬ"));
}

TEST(Startup, RealStartPutsTheDataFileIntoTheRecentList) {
    CUserSession session;
    std::string strPath = session.File("lab.dat");
    auto pRun = session.Start({"lab.dat"}); // relative to the working folder
    ASSERT_TRUE(AskRunningCopyToComeForward(session.SocketPath(), PROCESS_WAIT_MS, 5000));
    pRun->terminate();
    ASSERT_TRUE(WaitForEnd(*pRun));
    QSettings settings(
        QString::fromStdString(session.File("home/.config/Kestrune/MRV設定ﾏﾈｰｼﾞｬ.conf")),
        QSettings::IniFormat);
    EXPECT_EQ(ReadRecentFiles(settings), QStringList{QString::fromStdString(strPath)});
}

TEST(Startup, ExitCommandEndsTheRunAndTheDocumentSaves) {
    CScratchDir dir;
    // The application's files beside a program that is not there.
    COrvixApp app(dir.File("mrvmgr"), "");
    std::string strPath = dir.File("mrvmgr.dat");
    {
        CManagerSession session(app);
        COrvixDoc& doc = session.OpenDocument(strPath, std::make_unique<CMemoryDatagramSocket>());
        doc.AddNetwork("LINE-A", 0xFFFFFF00u, 0x02020202u);
        CMainFrame& frame = session.GetFrame();
        frame.show();
        frame.FindAction(57665)->trigger();
        EXPECT_FALSE(frame.isVisible());
        EXPECT_FALSE(CScratchDir::Exists(strPath));
    }
    EXPECT_EQ(NetworksIn(strPath), std::vector<std::string>{"LINE-A"});
}
