// The single-instance lock: one holder at a time, gone with its process
// however it ends, never handed to programs the holder starts.
#include "ScratchDir.h"
#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
// Sets an environment variable for one test and puts the old value back.
class CEnvVar {
public:
    CEnvVar(const char* pszName, const char* pszValue) : m_strName(pszName) {
        const char* pszOld = std::getenv(pszName);
        m_bHad = pszOld != nullptr;
        if (m_bHad) {
            m_strOld = pszOld;
        }
        if (pszValue != nullptr) {
            ::setenv(pszName, pszValue, 1);
        } else {
            ::unsetenv(pszName);
        }
    }
    ~CEnvVar() {
        if (m_bHad) {
            ::setenv(m_strName.c_str(), m_strOld.c_str(), 1);
        } else {
            ::unsetenv(m_strName.c_str());
        }
    }

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHad = false;
};
} // namespace

TEST(SingleInstanceLock, OneHolderAtATimeAndFreeAgainWhenItGoes) {
    CScratchDir dir;
    std::string strPath = dir.File("mrvmgr.lock");
    {
        CSingleInstanceLock first(strPath);
        EXPECT_TRUE(first.IsOwner());
        EXPECT_FALSE(first.IsHeldElsewhere());
        CSingleInstanceLock second(strPath);
        EXPECT_FALSE(second.IsOwner());
        EXPECT_TRUE(second.IsHeldElsewhere());
    }
    CSingleInstanceLock again(strPath);
    EXPECT_TRUE(again.IsOwner());
    struct stat st {};
    ASSERT_EQ(::stat(strPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(SingleInstanceLock, AHolderKilledWithSigkillLeavesNoStaleLock) {
    CScratchDir dir;
    std::string strPath = dir.File("mrvmgr.lock");
    int arrPipe[2];
    ASSERT_EQ(::pipe(arrPipe), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CSingleInstanceLock lock(strPath);
        char c = lock.IsOwner() ? 'y' : 'n';
        (void)!::write(arrPipe[1], &c, 1);
        for (;;) {
            ::pause();
        }
    }
    char c = 0;
    ASSERT_EQ(::read(arrPipe[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    {
        CSingleInstanceLock other(strPath);
        EXPECT_TRUE(other.IsHeldElsewhere());
    }
    ::kill(pid, SIGKILL);
    int nStatus = 0;
    ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(nStatus));
    CSingleInstanceLock next(strPath);
    EXPECT_TRUE(next.IsOwner());
    ::close(arrPipe[0]);
    ::close(arrPipe[1]);
}

TEST(SingleInstanceLock, ProgramsStartedByTheHolderDoNotKeepIt) {
    CScratchDir dir;
    std::string strPath = dir.File("mrvmgr.lock");
    pid_t pidChild = 0;
    {
        CSingleInstanceLock lock(strPath);
        ASSERT_TRUE(lock.IsOwner());
        // As the FTP client is started while the manager runs.
        char szSleep[] = "sleep";
        char szTime[] = "30";
        char* argv[] = {szSleep, szTime, nullptr};
        ASSERT_EQ(::posix_spawnp(&pidChild, "sleep", nullptr, nullptr, argv, environ), 0);
        // The spawn returns before the new program has closed what closes on
        // exec; it has once it sleeps.
        const std::string strStat = "/proc/" + std::to_string(pidChild) + "/stat";
        for (int i = 0;
             i < 5000 && CScratchDir::Read(strStat).find("(sleep) S ") == std::string::npos; ++i) {
            usleep(2000);
        }
    }
    CSingleInstanceLock next(strPath);
    EXPECT_TRUE(next.IsOwner());
    ::kill(pidChild, SIGKILL);
    ::waitpid(pidChild, nullptr, 0);
}

TEST(SingleInstanceLock, LinkAtTheLockPathIsNotFollowed) {
    CScratchDir dir;
    std::string strTarget = dir.File("target");
    ASSERT_EQ(::symlink(strTarget.c_str(), dir.File("mrvmgr.lock").c_str()), 0);
    CSingleInstanceLock lock(dir.File("mrvmgr.lock"));
    EXPECT_FALSE(lock.IsOwner());
    EXPECT_FALSE(lock.IsHeldElsewhere());
    EXPECT_NE(lock.GetError(), 0);
    EXPECT_FALSE(CScratchDir::Exists(strTarget));
}

TEST(SingleInstanceDir, RuntimeFolderWhenPrivateElseTheFallbackCreated) {
    CScratchDir dir;
    std::string strRuntime = dir.File("run");
    ASSERT_EQ(::mkdir(strRuntime.c_str(), 0700), 0);
    std::string strFallback = dir.File("home/.config/mrvmgr/");
    {
        CEnvVar env("XDG_RUNTIME_DIR", strRuntime.c_str());
        EXPECT_EQ(ChooseInstanceDir(strFallback), strRuntime + "/");
        EXPECT_FALSE(CScratchDir::Exists(strFallback));
    }
    {
        // A folder others may write into is no place for the lock.
        std::string strShared = dir.File("shared");
        ASSERT_EQ(::mkdir(strShared.c_str(), 0777), 0);
        ::chmod(strShared.c_str(), 01777);
        CEnvVar env("XDG_RUNTIME_DIR", strShared.c_str());
        EXPECT_EQ(ChooseInstanceDir(strFallback), strFallback);
        EXPECT_TRUE(CScratchDir::Exists(strFallback));
    }
    {
        CEnvVar env("XDG_RUNTIME_DIR", nullptr);
        EXPECT_EQ(ChooseInstanceDir(strFallback), strFallback);
        EXPECT_EQ(ChooseInstanceDir(""), "");
    }
    {
        CEnvVar env("XDG_RUNTIME_DIR", "relative/run");
        EXPECT_EQ(ChooseInstanceDir(strFallback), strFallback);
    }
}
