// What a program owns while it runs and what a killed one leaves: the data
// file's lock (one writer or many readers, named for whoever is refused) and
// the private working folders of processes that are gone.
#include "platform/DataFileLock.h"
#include "ScratchDir.h"
#include "ScriptedUi.h"
#include "app/DataFileOwner.h"
#include "platform/DeadRunDirs.h"
#include "platform/ProcessTable.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
double MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// A pid that was ours a moment ago and runs no more.
pid_t DeadPid() {
    pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    ::waitpid(pid, nullptr, 0);
    return pid;
}
} // namespace

TEST(DataFileLock, OneWriterOrManyReadersEachNamedForTheRefused) {
    CScratchDir dir;
    const std::string strData = dir.File("reg.dat");
    auto pWriter = std::make_unique<CDataFileLock>(strData, "mrvmgr");
    ASSERT_EQ(pWriter->Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Held);
    EXPECT_EQ(pWriter->GetLockPath(), strData + ".lock");
    EXPECT_FALSE(CScratchDir::Exists(strData)); // the data file itself is not touched
    SDataLockHolder holder = CDataFileLock::FindHolder(strData);
    EXPECT_EQ(holder.pid, ::getpid());
    EXPECT_EQ(holder.strProgram, "mrvmgr");
    EXPECT_FALSE(holder.bShared);
    {
        CDataFileLock second(strData, "mrvctl");
        EXPECT_EQ(second.Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Busy);
        EXPECT_EQ(second.Acquire(EDataLock::Shared, 0, {}), EDataLockResult::Busy);
        EXPECT_FALSE(second.IsHeld());
    }
    // The holder gone, readers share the file, and a writer waits for them.
    pWriter.reset();
    EXPECT_EQ(CDataFileLock::FindHolder(strData).pid, 0);
    CDataFileLock reader1(strData, "mrvctl");
    CDataFileLock reader2(strData, "mrvctl");
    EXPECT_EQ(reader1.Acquire(EDataLock::Shared, 0, {}), EDataLockResult::Held);
    EXPECT_EQ(reader2.Acquire(EDataLock::Shared, 0, {}), EDataLockResult::Held);
    holder = CDataFileLock::FindHolder(strData);
    EXPECT_EQ(holder.pid, ::getpid());
    EXPECT_TRUE(holder.bShared);
    EXPECT_EQ(holder.strProgram, GetProcessName(::getpid())); // a reader writes no name
    CDataFileLock writer(strData, "mrvmgr");
    EXPECT_EQ(writer.Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Busy);
}

TEST(DataFileLock, AWaitEndsAtItsLimitOrWhenAStopIsAsked) {
    CScratchDir dir;
    const std::string strData = dir.File("reg.dat");
    CDataFileLock holder(strData, "mrvctl");
    ASSERT_EQ(holder.Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Held);
    CDataFileLock waiter(strData, "mrvctl");
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(waiter.Acquire(EDataLock::Exclusive, 300, {}), EDataLockResult::Busy);
    EXPECT_GE(MsSince(t0), 290.0);
    int nAsked = 0;
    EXPECT_EQ(waiter.Acquire(EDataLock::Exclusive, 60000, [&nAsked] { return ++nAsked == 3; }),
              EDataLockResult::Stopped);
    EXPECT_EQ(nAsked, 3);
}

TEST(DataFileLock, EveryPathToTheFileMeetsOneLockAndNoFolderMeansNoLock) {
    CScratchDir dir;
    ::mkdir(dir.File("real").c_str(), 0755);
    ASSERT_EQ(::symlink(dir.File("real/reg.dat").c_str(), dir.File("alias.dat").c_str()), 0);
    CDataFileLock byAlias(dir.File("alias.dat"), "mrvctl");
    ASSERT_EQ(byAlias.Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Held);
    EXPECT_EQ(byAlias.GetLockPath(), dir.File("real/reg.dat.lock"));
    CDataFileLock byName(dir.File("real/reg.dat"), "mrvctl");
    EXPECT_EQ(byName.Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Busy);
    // Where there is no folder, nobody can write the file: nothing to guard.
    CDataFileLock nowhere(dir.File("none/reg.dat"), "mrvctl");
    EXPECT_EQ(nowhere.Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Unavailable);
    EXPECT_EQ(nowhere.GetError(), ENOENT);
}

TEST(DataFileLock, TheManagerNamesTheHolderAndTriesAgainOrEndsAsTheOperatorSays) {
    CScratchDir dir;
    const std::string strData = dir.File("reg.dat");
    auto pCtl = std::make_unique<CDataFileLock>(strData, "mrvctl");
    ASSERT_EQ(pCtl->Acquire(EDataLock::Exclusive, 0, {}), EDataLockResult::Held);
    const std::string strText = "ﾃﾞｰﾀﾌｧｲﾙ " + strData + " は mrvctl (pid " +
                                std::to_string(::getpid()) +
                                ") が使用中です。\r\n使用が終わってから[再試行]を押してください。";
    CScriptedUi ui;
    CDataFileLock manager(strData, "mrvmgr");
    ui.ExpectMessage(strText, EMsgAnswer::Cancel).WithButtons(EMsgButtons::RetryCancel);
    EXPECT_FALSE(TakeDataFileForRun(manager, strData, ui, 0));
    ui.VerifyAllConsumed();
    // Tried again once mrvctl has ended.
    ui.ExpectMessage(strText, EMsgAnswer::Retry)
        .WithButtons(EMsgButtons::RetryCancel)
        .WhenShown([&pCtl] { pCtl.reset(); });
    EXPECT_TRUE(TakeDataFileForRun(manager, strData, ui, 0));
    EXPECT_TRUE(manager.IsHeld());
    EXPECT_EQ(CDataFileLock::FindHolder(strData).strProgram, "mrvmgr");
}

TEST(DeadRunDirs, FoldersOfGoneProcessesGoAndNothingElseIsTouched) {
    CScratchDir dir;
    const pid_t pidDead = DeadPid();
    const std::string strDead = dir.File("mrvmgr-ftp-" + std::to_string(pidDead) + "-a1b2c3");
    const std::string strLive = dir.File("mrvmgr-ftp-" + std::to_string(::getpid()) + "-d4e5f6");
    const std::string strOutside = dir.File("outside");
    for (const std::string& strFolder : {strDead, strLive, strOutside}) {
        ASSERT_EQ(::mkdir(strFolder.c_str(), 0700), 0);
    }
    CScratchDir::Write(strDead + "/script", "user admin secret\n");
    CScratchDir::Write(strDead + "/Dir.txt", "listing");
    CScratchDir::Write(strOutside + "/keep.txt", "an operator's file");
    // A link inside is removed as a link; the folder it names stays whole.
    ASSERT_EQ(::symlink(strOutside.c_str(), (strDead + "/escape").c_str()), 0);
    CScratchDir::Write(strLive + "/script", "in use");
    // Named like ours but a link, another program's name, another user's folder.
    const std::string strLink = dir.File("mrvmgr-ftp-" + std::to_string(pidDead) + "-l1nk00");
    ASSERT_EQ(::symlink(strOutside.c_str(), strLink.c_str()), 0);
    const std::string strOther = dir.File("other-ftp-" + std::to_string(pidDead) + "-x");
    ASSERT_EQ(::mkdir(strOther.c_str(), 0700), 0);
    const std::string strTheirs = dir.File("mrvmgr-ftp-" + std::to_string(pidDead) + "-th31rs");
    ASSERT_EQ(::mkdir(strTheirs.c_str(), 0700), 0);
    const bool bRoot = ::geteuid() == 0;
    if (bRoot) {
        ASSERT_EQ(::chown(strTheirs.c_str(), 4242, 4242), 0);
    }

    EXPECT_EQ(RemoveDeadProcessDirs(dir.Dir(), "mrvmgr-ftp-"), bRoot ? 1 : 2);
    EXPECT_FALSE(CScratchDir::Exists(strDead));
    EXPECT_EQ(CScratchDir::Read(strLive + "/script"), "in use");
    EXPECT_EQ(CScratchDir::Read(strOutside + "/keep.txt"), "an operator's file");
    EXPECT_TRUE(fs::is_symlink(strLink));
    EXPECT_TRUE(fs::is_directory(strOther));
    EXPECT_EQ(fs::is_directory(strTheirs), bRoot);
}
