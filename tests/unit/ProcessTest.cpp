#include "platform/Process.h"
#include "ScratchDir.h"
#include "platform/PollMessagePump.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
double MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Fields of /proc/PID/stat after the command name: state is [0], pgrp [2],
// session [3], tty_nr [4].
std::vector<std::string> StatFields(pid_t pid) {
    std::string str = CScratchDir::Read("/proc/" + std::to_string(pid) + "/stat");
    size_t nParen = str.rfind(')');
    if (nParen == std::string::npos || nParen + 2 > str.size()) {
        return {}; // gone meanwhile
    }
    std::istringstream in(str.substr(nParen + 2));
    std::vector<std::string> vec;
    std::string strField;
    while (in >> strField) {
        vec.push_back(strField);
    }
    return vec;
}

std::string StatusLine(pid_t pid, const std::string& strKey) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (strLine.rfind(strKey + ":", 0) == 0) {
            return strLine;
        }
    }
    return {};
}

// Members of the group that still run; a killed member may linger as a
// zombie until its new parent reaps it, and that is no process any more.
std::vector<pid_t> LiveGroupMembers(pid_t pgid) {
    std::vector<pid_t> vecLive;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::string strName = entry.path().filename().string();
        if (strName.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::vector<std::string> vec = StatFields(static_cast<pid_t>(std::stoi(strName)));
        if (vec.size() > 2 && vec[2] == std::to_string(pgid) && vec[0] != "Z" && vec[0] != "X") {
            vecLive.push_back(static_cast<pid_t>(std::stoi(strName)));
        }
    }
    return vecLive;
}

// A killed process ends a moment after the signal: each member of the group
// is awaited on a pidfd of its own. True when none is left after ms.
bool GroupEndsWithin(pid_t pgid, int ms) {
    for (pid_t pid : LiveGroupMembers(pgid)) {
        int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        if (fd < 0) {
            continue; // already gone
        }
        pollfd pfd{fd, POLLIN, 0};
        int nReady = poll(&pfd, 1, ms);
        close(fd);
        if (nReady <= 0) {
            return false;
        }
    }
    return LiveGroupMembers(pgid).empty();
}
} // namespace

TEST(Process, RunsTheArgumentVectorWithInputFileAndFolderAndCapturesOutput) {
    CScratchDir dir;
    CScratchDir::Write(dir.File("in.txt"), "line one\nline two\n");
    CPollMessagePump pump;
    CProcess proc;
    std::string strError;
    // No shell between us and the program: "$(x)" and ";" stay literal.
    ASSERT_TRUE(
        proc.Start({{"/bin/sh", "-c", "pwd; cat; printf '[%s]' \"$1\" >&2", "sh", "a b; $(echo x)"},
                    dir.File("in.txt"),
                    dir.Dir(),
                    true},
                   strError))
        << strError;
    ASSERT_TRUE(proc.Wait(pump, 10000));
    EXPECT_TRUE(proc.HasEnded());
    EXPECT_TRUE(WIFEXITED(proc.GetWaitStatus()));
    EXPECT_EQ(WEXITSTATUS(proc.GetWaitStatus()), 0);
    std::string strDir = dir.Dir().substr(0, dir.Dir().size() - 1);
    EXPECT_EQ(proc.ReadOutput(4096), strDir + "\nline one\nline two\n");
    EXPECT_EQ(proc.ReadErrors(4096), "[a b; $(echo x)]");
    // Read bounded.
    EXPECT_EQ(proc.ReadOutput(4), "/tmp");
}

TEST(Process, OutputNotCapturedIsDiscardedAndInputIsEmpty) {
    CPollMessagePump pump;
    CProcess proc;
    std::string strError;
    ASSERT_TRUE(
        proc.Start({{"sh", "-c", "read x && exit 3; echo out; exit 4"}, "", "", false}, strError))
        << strError;
    ASSERT_TRUE(proc.Wait(pump, 10000));
    EXPECT_EQ(WEXITSTATUS(proc.GetWaitStatus()), 4); // stdin was /dev/null
    EXPECT_EQ(proc.ReadOutput(100), "");
}

TEST(Process, RunsInItsOwnSessionWithoutTerminalSignalsOrOurDescriptors) {
    CPollMessagePump pump;
    // A descriptor of ours without close-on-exec must not reach the child.
    int fdLeak = dup(1);
    ASSERT_GE(fdLeak, 3);
    // Signals blocked here (as the manager blocks its termination signals)
    // are open again in the child.
    sigset_t setBlock;
    sigset_t setOld;
    sigemptyset(&setBlock);
    sigaddset(&setBlock, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &setBlock, &setOld);
    CProcess proc;
    std::string strError;
    bool bStarted = proc.Start({{"sleep", "30"}, "", "", false}, strError);
    pthread_sigmask(SIG_SETMASK, &setOld, nullptr);
    close(fdLeak);
    ASSERT_TRUE(bStarted) << strError;
    pid_t pid = proc.GetPid();
    // Wait until sleep sleeps: past the fork, and past its loader, whose
    // library files are open for a moment (seconds on a loaded machine).
    auto Asleep = [pid] {
        std::vector<std::string> vec = StatFields(pid);
        return CScratchDir::Read("/proc/" + std::to_string(pid) + "/comm") == "sleep\n" &&
               !vec.empty() && vec[0] == "S";
    };
    for (int i = 0; i < 5000 && !Asleep(); ++i) {
        usleep(2000);
    }
    ASSERT_EQ(CScratchDir::Read("/proc/" + std::to_string(pid) + "/comm"), "sleep\n");
    std::vector<std::string> vecStat = StatFields(pid);
    ASSERT_GE(vecStat.size(), 5u);
    EXPECT_EQ(vecStat[2], std::to_string(pid)); // its own group
    EXPECT_EQ(vecStat[3], std::to_string(pid)); // its own session
    EXPECT_EQ(vecStat[4], "0");                 // no controlling terminal
    EXPECT_EQ(StatusLine(pid, "SigBlk"), "SigBlk:\t0000000000000000");
    size_t nFds = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
        int nFd = std::stoi(entry.path().filename().string());
        EXPECT_LT(nFd, 3) << "descriptor " << nFd << " leaked into the child";
        ++nFds;
    }
    EXPECT_EQ(nFds, 3u);
    auto t0 = std::chrono::steady_clock::now();
    proc.Terminate();
    EXPECT_LT(MsSince(t0), 900.0); // SIGTERM was enough
    EXPECT_TRUE(WIFSIGNALED(proc.GetWaitStatus()));
    EXPECT_EQ(WTERMSIG(proc.GetWaitStatus()), SIGTERM);
    (void)pump;
}

TEST(Process, WaitEndsAtItsLimitAndTerminateEndsTheWholeGroup) {
    CPollMessagePump pump;
    CProcess proc;
    std::string strError;
    // A shell that ignores SIGTERM, and a child of it in the same group.
    ASSERT_TRUE(proc.Start({{"sh", "-c", "trap '' TERM; sleep 30 & sleep 30; wait"}, "", "", false},
                           strError))
        << strError;
    pid_t pid = proc.GetPid();
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(proc.Wait(pump, 300));
    double dMs = MsSince(t0);
    EXPECT_GE(dMs, 280.0);
    EXPECT_LT(dMs, 3000.0);
    EXPECT_TRUE(proc.IsRunning());
    t0 = std::chrono::steady_clock::now();
    proc.Terminate(200);
    EXPECT_LT(MsSince(t0), 3000.0);
    EXPECT_FALSE(proc.IsRunning());
    EXPECT_TRUE(WIFSIGNALED(proc.GetWaitStatus()));
    EXPECT_EQ(WTERMSIG(proc.GetWaitStatus()), SIGKILL);
    // Reaped: the number is no process of ours any more, and no member of its group is left.
    EXPECT_TRUE(GroupEndsWithin(pid, 5000));
    EXPECT_LT(waitpid(pid, nullptr, WNOHANG), 0);
}

TEST(Process, DestroyingARunningProcessTerminatesAndReapsIt) {
    pid_t pid = -1;
    {
        CProcess proc;
        std::string strError;
        ASSERT_TRUE(proc.Start({{"sleep", "30"}, "", "", false}, strError)) << strError;
        pid = proc.GetPid();
    }
    EXPECT_TRUE(GroupEndsWithin(pid, 5000));
    EXPECT_LT(waitpid(pid, nullptr, WNOHANG), 0);
}

TEST(Process, ReportsWhatPreventedTheStart) {
    CProcess proc;
    std::string strError;
    EXPECT_FALSE(proc.Start({{"no-such-program-of-mrvmgr"}, "", "", false}, strError));
    EXPECT_NE(strError.find("No such file or directory"), std::string::npos) << strError;
    EXPECT_FALSE(proc.IsRunning());

    CProcess procNoInput;
    EXPECT_FALSE(procNoInput.Start({{"true"}, "/nonexistent/input", "", false}, strError));
    CProcess procNoDir;
    EXPECT_FALSE(procNoDir.Start({{"true"}, "", "/nonexistent/dir", false}, strError));
    CProcess procEmpty;
    EXPECT_FALSE(procEmpty.Start({{}, "", "", false}, strError));
}

TEST(Process, InputIsNeverOpenedThroughALink) {
    CScratchDir dir;
    CScratchDir::Write(dir.File("secret.txt"), "x\n");
    ASSERT_EQ(symlink(dir.File("secret.txt").c_str(), dir.File("link.txt").c_str()), 0);
    CProcess proc;
    std::string strError;
    EXPECT_FALSE(proc.Start({{"cat"}, dir.File("link.txt"), "", true}, strError));
}

TEST(Process, TheProgramDiesWithTheProcessThatStartedIt) {
    int afd[2];
    ASSERT_EQ(pipe(afd), 0);
    pid_t pidStarter = fork();
    ASSERT_GE(pidStarter, 0);
    if (pidStarter == 0) {
        close(afd[0]);
        CProcess proc;
        std::string strError;
        pid_t pid = proc.Start({{"sleep", "60"}, "", "", false}, strError) ? proc.GetPid() : -1;
        if (write(afd[1], &pid, sizeof pid) != static_cast<ssize_t>(sizeof pid)) {
            _exit(1);
        }
        pause();
        _exit(0);
    }
    close(afd[1]);
    pid_t pid = -1;
    ASSERT_EQ(read(afd[0], &pid, sizeof pid), static_cast<ssize_t>(sizeof pid));
    close(afd[0]);
    ASSERT_GT(pid, 0);
    int fdPid = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    ASSERT_GE(fdPid, 0);
    // Killed: nothing of the starter runs, so the program must end by itself.
    kill(pidStarter, SIGKILL);
    waitpid(pidStarter, nullptr, 0);
    pollfd pfd{fdPid, POLLIN, 0};
    EXPECT_EQ(poll(&pfd, 1, 5000), 1) << "the program outlived the process that started it";
    close(fdPid);
    if (pfd.revents == 0) {
        kill(pid, SIGKILL);
    }
}
