// Closing the manager while it works. The program is the real one (its start,
// window, signals and event loop; only main() and a driver inside it,
// CloseDriver.cpp, are the test's) on a virtual X display (Xvfb), driven on a
// test network through one command; while the command waits, the X server
// asks its window to close as a window manager does, ﾌｧｲﾙ →
// ｱﾌﾟﾘｹｰｼｮﾝの終了 is chosen, or a signal comes from outside. Each time the run
// must end soon after the command, with its data file saved, its lock and
// port free, and the next start must show its window.
#include "CloseCases.h"
#include "MemoryDatagramSocket.h"
#include "RawNodeClient.h"
#include "ScratchDir.h"
#include "ScriptedUi.h"
#include "VirtualDisplay.h"
#include "doc/OrvixDoc.h"
#include "platform/Clock.h"
#include "platform/PollMessagePump.h"
#include "platform/SingleInstance.h"

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
        return RunDrivenManager(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
