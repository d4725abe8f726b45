// mrvctl and the data file it shares with the manager and with other runs of
// itself, run for real on commands that send nothing: one owner at a time,
// listings that only read, nothing a killed run left survives the next start,
// and no link is followed that the kernel would refuse to follow.
#include "JsonReader.h"
#include "ProgramRun.h"
#include "ScratchDir.h"
#include "platform/DataFileLock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <poll.h>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int EXIT_HELD = 6;

std::string Mac(int n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0080D40001%02X", n);
    return sz;
}

class CtlSharedFile : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* psz : {"bin", "home", "tmp"}) {
            ::mkdir(m_dir.File(psz).c_str(), 0755);
        }
        ::mkdir(m_dir.File("run").c_str(), 0700);
        std::filesystem::copy_file(ORVIX_MRVCTL_PATH, m_dir.File("bin/mrvctl"));
    }
    std::vector<std::string> Env() const {
        return {"HOME=" + m_dir.File("home"), "XDG_RUNTIME_DIR=" + m_dir.File("run"),
                "TMPDIR=" + m_dir.File("tmp")};
    }
    SProgramHandle Start(std::vector<std::string> vecArgs, const std::string& strTag = "") {
        vecArgs.insert(vecArgs.begin(), m_dir.File("bin/mrvctl"));
        return StartProgram(vecArgs, Env(), m_dir.Dir(), strTag);
    }
    SProgramRun Ctl(std::vector<std::string> vecArgs) { return FinishProgram(Start(vecArgs)); }
    // The MACs of the current network, as a listing reads them.
    std::set<std::string> Listed() {
        SProgramRun run = Ctl({"--json", "nodes", "list"});
        EXPECT_EQ(run.nExit, 0) << run.strErr;
        CJsonValue json = CJsonValue::Parse(run.strOut);
        std::set<std::string> set;
        for (const CJsonValue& node : json["result"]["nodes"].Items()) {
            set.insert(node["mac"].Str());
        }
        return set;
    }
    std::vector<std::string> Names(const std::string& strFolder) const {
        std::vector<std::string> vec;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.File(strFolder))) {
            vec.push_back(entry.path().filename().string());
        }
        return vec;
    }
    std::string Data() const { return m_dir.File("bin/mrvmgr.dat"); }

    CScratchDir m_dir;
};
} // namespace

TEST_F(CtlSharedFile, TwentyWritersAtOnceLoseNoChangeThatReportedSuccess) {
    ASSERT_EQ(Ctl({"networks", "add", "PLANT"}).nExit, 0);
    // Twenty at once, none waiting: each is either in the file or was refused
    // with status 6, one JSON object and a message naming the holder.
    auto RunTwenty = [&](int nFirst, std::vector<std::string> vecOptions) {
        std::vector<SProgramHandle> vecRuns;
        for (int i = nFirst; i < nFirst + 20; ++i) {
            std::vector<std::string> vecArgs = {"--json", "nodes", "add", Mac(i)};
            vecArgs.insert(vecArgs.end(), vecOptions.begin(), vecOptions.end());
            vecRuns.push_back(Start(vecArgs, std::to_string(i)));
        }
        std::map<std::string, SProgramRun> mapRuns;
        for (int i = nFirst; i < nFirst + 20; ++i) {
            mapRuns[Mac(i)] = FinishProgram(vecRuns[static_cast<size_t>(i - nFirst)]);
        }
        return mapRuns;
    };
    std::map<std::string, SProgramRun> mapRuns = RunTwenty(0, {});
    std::set<std::string> setListed = Listed();
    size_t nAdded = 0;
    for (const auto& [strMac, run] : mapRuns) {
        CJsonValue json = CJsonValue::Parse(run.strOut);
        ASSERT_TRUE(json.IsValid()) << strMac << ": " << run.strOut;
        EXPECT_EQ(json["exit"].Int(), run.nExit);
        if (run.nExit == 0) {
            ++nAdded;
            EXPECT_EQ(setListed.count(strMac), 1u) << strMac << " reported success but is lost";
        } else {
            EXPECT_EQ(run.nExit, EXIT_HELD) << strMac << ": " << run.strErr;
            EXPECT_NE(run.strErr.find("in use by another mrvctl (pid "), std::string::npos)
                << run.strErr;
        }
    }
    EXPECT_GE(nAdded, 1u);

    // Waiting for their turn, all twenty get in.
    mapRuns = RunTwenty(20, {"--wait", "60"});
    setListed = Listed();
    for (const auto& [strMac, run] : mapRuns) {
        EXPECT_EQ(run.nExit, 0) << strMac << ": " << run.strErr;
        EXPECT_EQ(setListed.count(strMac), 1u) << strMac;
    }
}

TEST_F(CtlSharedFile, AnotherMrvctlIsNamedAndItsLockDiesWithIt) {
    ASSERT_EQ(Ctl({"networks", "add", "PLANT"}).nExit, 0);
    int afd[2];
    ASSERT_EQ(::pipe(afd), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        CDataFileLock lock(Data(), "mrvctl");
        char c = lock.Acquire(EDataLock::Exclusive, 0, {}) == EDataLockResult::Held ? 'y' : 'n';
        if (::write(afd[1], &c, 1) != 1) {
            ::_exit(1);
        }
        ::pause();
        ::_exit(0);
    }
    ::close(afd[1]);
    char c = 0;
    ASSERT_EQ(::read(afd[0], &c, 1), 1);
    ::close(afd[0]);
    ASSERT_EQ(c, 'y');
    SProgramRun run = Ctl({"nodes", "add", Mac(1)});
    EXPECT_EQ(run.nExit, EXIT_HELD);
    EXPECT_EQ(run.strErr, "mrvctl: the data file " + Data() + " is in use by another mrvctl (pid " +
                              std::to_string(pid) +
                              "); try again later or wait with --wait SECONDS\n");
    // Killed with SIGKILL, it leaves nothing that blocks.
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(Ctl({"nodes", "add", Mac(2)}).nExit, 0);
    EXPECT_EQ(Listed(), std::set<std::string>{Mac(2)});
}

TEST_F(CtlSharedFile, AWaitForTheDataFileEndsOnASignalWithNothingDone) {
    ASSERT_EQ(Ctl({"networks", "add", "PLANT"}).nExit, 0);
    CDataFileLock lock(Data(), "mrvmgr");
    ASSERT_EQ(lock.Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Held);
    int fdNotify = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(fdNotify, 0);
    ASSERT_GE(::inotify_add_watch(fdNotify, lock.GetLockPath().c_str(), IN_OPEN), 0);
    SProgramHandle handle = Start({"--json", "--wait", "600", "nodes", "add", Mac(1)});
    // It waits once it has opened the lock file.
    alignas(inotify_event) char ab[4096];
    ASSERT_GT(::read(fdNotify, ab, sizeof ab), 0);
    ::close(fdNotify);
    ASSERT_EQ(::kill(handle.pid, SIGHUP), 0);
    SProgramRun run = FinishProgram(handle);
    EXPECT_EQ(run.nExit, 129);
    EXPECT_EQ(run.strErr, "mrvctl: stopped by SIGHUP before the command began: nothing was done\n");
    CJsonValue json = CJsonValue::Parse(run.strOut);
    ASSERT_TRUE(json.IsValid()) << run.strOut;
    EXPECT_EQ(json["exit"].Int(), 129);
}

TEST_F(CtlSharedFile, AnUnreadableDataFileIsReportedAndLeftAsItIs) {
    CScratchDir::Write(Data(), "not a registry at all");
    struct stat stBefore {};
    ASSERT_EQ(::stat(Data().c_str(), &stBefore), 0);
    for (const std::vector<std::string>& vecArgs :
         {std::vector<std::string>{"nodes", "list"}, std::vector<std::string>{"networks", "list"},
          std::vector<std::string>{"networks", "add", "PLANT"}}) {
        SProgramRun run = Ctl(vecArgs);
        EXPECT_EQ(run.nExit, 1) << vecArgs[0] << " " << vecArgs[1];
        EXPECT_EQ(run.strErr, "mrvctl: 予期しないﾌｧｲﾙ形式です。\n");
    }
    struct stat stAfter {};
    ASSERT_EQ(::stat(Data().c_str(), &stAfter), 0);
    EXPECT_EQ(stAfter.st_ino, stBefore.st_ino);
    EXPECT_EQ(CScratchDir::Read(Data()), "not a registry at all");
    for (const std::string& strName : Names("bin")) {
        EXPECT_EQ(strName.find(".bad-"), std::string::npos) << strName;
    }
}

TEST_F(CtlSharedFile, TemporaryFilesOfAKilledSaveAreGoneAfterTheNextStart) {
    // Left by saves that were killed: beside the data file and the INI file.
    CScratchDir::Write(m_dir.File("bin/mrvmgr.dat.tmp-k1ll3d"), "half a regis");
    CScratchDir::Write(m_dir.File("bin/DefParam.ini.tmp-0ld0n3"), "[MRV-620_Par");
    ASSERT_EQ(Ctl({"networks", "add", "PLANT"}).nExit, 0);
    EXPECT_FALSE(CScratchDir::Exists(m_dir.File("bin/mrvmgr.dat.tmp-k1ll3d")));
    EXPECT_FALSE(CScratchDir::Exists(m_dir.File("bin/DefParam.ini.tmp-0ld0n3")));

    // The real thing: killed as soon as its save's temporary file appears.
    int fdNotify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(fdNotify, 0);
    ASSERT_GE(::inotify_add_watch(fdNotify, m_dir.File("bin").c_str(), IN_CREATE), 0);
    int nLeft = 0;
    for (int nTry = 0; nTry < 20 && nLeft == 0; ++nTry) {
        SProgramHandle handle = Start({"networks", "add", "LINE " + std::to_string(nTry)});
        bool bKilled = false;
        while (!bKilled) {
            pollfd pfd{fdNotify, POLLIN, 0};
            if (::poll(&pfd, 1, 10000) <= 0) {
                break;
            }
            alignas(inotify_event) char ab[4096];
            ssize_t n = ::read(fdNotify, ab, sizeof ab);
            for (ssize_t nAt = 0; n > 0 && nAt < n;) {
                const auto* pEvent = reinterpret_cast<const inotify_event*>(ab + nAt);
                if (pEvent->len > 0 &&
                    std::string(pEvent->name).find(".tmp-") != std::string::npos) {
                    ::kill(handle.pid, SIGKILL);
                    bKilled = true;
                }
                nAt += static_cast<ssize_t>(sizeof(inotify_event) + pEvent->len);
            }
        }
        FinishProgram(handle);
        for (const std::string& strName : Names("bin")) {
            nLeft += strName.find(".tmp-") != std::string::npos ? 1 : 0;
        }
    }
    ::close(fdNotify);
    ASSERT_GT(nLeft, 0) << "no kill came during a save";
    EXPECT_EQ(Ctl({"networks", "list"}).nExit, 0);
    for (const std::string& strName : Names("bin")) {
        EXPECT_EQ(strName.find(".tmp-"), std::string::npos) << strName;
    }
}

TEST_F(CtlSharedFile, ALinkAnotherUserPlantedInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "planting a link as another user needs root";
    }
    // A shared folder like /tmp: sticky and world-writable, owned by root.
    const std::string strShared = m_dir.File("shared");
    ASSERT_EQ(::mkdir(strShared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(strShared.c_str(), 01777), 0);
    ::mkdir(m_dir.File("victim").c_str(), 0755);
    const std::string strTarget = m_dir.File("victim/reg.dat");
    const std::string strLink = strShared + "/reg.dat";
    ASSERT_EQ(::symlink(strTarget.c_str(), strLink.c_str()), 0);
    ASSERT_EQ(::lchown(strLink.c_str(), 4242, 4242), 0); // planted by another user

    SProgramRun run = Ctl({"--file", strLink, "networks", "add", "PLANT"});
    EXPECT_EQ(run.nExit, 1) << run.strErr;
    EXPECT_NE(run.strErr.find("reg.dat"), std::string::npos) << run.strErr;
    EXPECT_FALSE(CScratchDir::Exists(strTarget));

    // A link of our own there is followed, as the kernel would.
    ASSERT_EQ(::lchown(strLink.c_str(), 0, 0), 0);
    run = Ctl({"--file", strLink, "networks", "add", "PLANT"});
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_TRUE(CScratchDir::Exists(strTarget));
}
