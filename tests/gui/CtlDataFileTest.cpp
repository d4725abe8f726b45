// The data file mrvctl writes is the manager's: the real mrvctl, installed in
// a folder of its own, registers a network and nodes without a display; the
// manager's window then opens the file it finds beside itself and lists them.
// While the real manager runs on a file, mrvctl waits for it or is refused,
// and nothing either wrote is lost.
#include "JsonReader.h"
#include "MemoryDatagramSocket.h"
#include "ProgramRun.h"
#include "ScratchDir.h"
#include "app/OrvixApp.h"
#include "doc/OrvixDoc.h"
#include "gui/InstanceChannel.h"
#include "gui/MainFrame.h"
#include "gui/ManagerSession.h"
#include "gui/OrvixView.h"

#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

TEST(CtlDataFile, TheWindowListsTheNodesMrvctlRegistered) {
    CScratchDir dir;
    ::mkdir(dir.File("bin").c_str(), 0755);
    ::mkdir(dir.File("run").c_str(), 0700);
    std::filesystem::copy_file(ORVIX_MRVCTL_PATH, dir.File("bin/mrvctl"));
    const std::vector<std::string> vecEnv = {"HOME=" + dir.File("home"),
                                             "XDG_RUNTIME_DIR=" + dir.File("run")};
    const std::string strCtl = dir.File("bin/mrvctl");
    for (const std::vector<std::string>& vecArgs : std::vector<std::vector<std::string>>{
             {strCtl, "networks", "add", "PLANT", "--gateway", "192.168.1.1"},
             {strCtl, "nodes", "add", "0080D4000001", "--ip", "192.168.1.10", "--remarks",
              "ライン1"},
             {strCtl, "nodes", "add", "0080d4000002", "--serial", "SN-2"},
         }) {
        SProgramRun run = RunProgram(vecArgs, vecEnv, dir.Dir());
        ASSERT_EQ(run.nExit, 0) << run.strOut << run.strErr;
    }
    ASSERT_TRUE(CScratchDir::Exists(dir.File("bin/mrvmgr.dat")));

    // The manager installed in the same folder finds the same file.
    COrvixApp app(dir.File("bin/mrvmgr"), "");
    EXPECT_EQ(app.m_strDataPath, dir.File("bin/mrvmgr.dat"));
    CManagerSession session(app);
    session.OpenDocument(app.m_strDataPath, std::make_unique<CMemoryDatagramSocket>());
    CMainFrame& frame = session.GetFrame();
    frame.show();
    COrvixView* pView = frame.GetView();
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(pView->GetTitle(), "PLANT");
    ASSERT_EQ(pView->GetRowCount(), 2);
    EXPECT_EQ(pView->GetCellText(0, 3).toStdString(), "0080D4000001");
    EXPECT_EQ(pView->GetCellText(0, 4).toStdString(), "192.168.1.10");
    EXPECT_EQ(pView->GetCellText(0, 5).toStdString(), "ライン1");
    EXPECT_EQ(pView->GetCellText(1, 2).toStdString(), "SN-2");
    EXPECT_EQ(pView->GetCellText(1, 3).toStdString(), "0080D4000002");
    EXPECT_EQ(pView->GetCellText(1, 4).toStdString(), "192.168.200.254");
}

TEST(CtlDataFile, WhileTheManagerRunsMrvctlWaitsOrIsRefusedAndNothingIsLost) {
    CScratchDir dir;
    for (const char* psz : {"bin", "home", "run", "run2"}) {
        ::mkdir(dir.File(psz).c_str(), 0700);
    }
    std::filesystem::copy_file(ORVIX_MRVCTL_PATH, dir.File("bin/mrvctl"));
    const std::string strData = dir.File("bin/mrvmgr.dat");
    // mrvctl in another session of the same user (a second login): the
    // manager's single instance says nothing there; the data file's lock does.
    const std::vector<std::string> vecEnv = {"HOME=" + dir.File("home"),
                                             "XDG_RUNTIME_DIR=" + dir.File("run2")};
    auto Ctl = [&](std::vector<std::string> vecArgs, const std::string& strTag = "") {
        vecArgs.insert(vecArgs.begin(), {dir.File("bin/mrvctl"), "--file", strData});
        return StartProgram(vecArgs, vecEnv, dir.Dir(), strTag);
    };
    ASSERT_EQ(FinishProgram(Ctl({"networks", "add", "PLANT"})).nExit, 0);

    QProcess manager;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", QString::fromStdString(dir.File("home")));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir.File("run")));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    manager.setProcessEnvironment(env);
    manager.start(QStringLiteral(ORVIX_MRVMGR_PATH), {QString::fromStdString(strData)});
    // It answers on its socket once its window is up: its document is loaded.
    ASSERT_TRUE(AskRunningCopyToComeForward(QString::fromStdString(dir.File("run/mrvmgr.socket")),
                                            20000, 5000));

    // Ten refused at once, naming the manager; ten waiting for it.
    std::vector<SProgramHandle> vecRefused;
    std::vector<SProgramHandle> vecWaiting;
    auto Mac = [](int n) { return "0080D40002" + std::to_string(10 + n); };
    for (int i = 0; i < 10; ++i) {
        vecRefused.push_back(Ctl({"--json", "nodes", "add", Mac(i)}, "r" + std::to_string(i)));
        vecWaiting.push_back(
            Ctl({"--wait", "60", "nodes", "add", Mac(10 + i)}, "w" + std::to_string(i)));
    }
    for (const SProgramHandle& handle : vecRefused) {
        SProgramRun run = FinishProgram(handle);
        EXPECT_EQ(run.nExit, 6) << run.strErr;
        EXPECT_TRUE(CJsonValue::Parse(run.strOut).IsValid()) << run.strOut;
        EXPECT_NE(run.strErr.find(" is in use by mrvmgr (pid " +
                                  std::to_string(manager.processId()) + "); close the manager"),
                  std::string::npos)
            << run.strErr;
    }
    // The manager ends as at a logout, and saves what it holds.
    QSignalSpy spy(&manager, &QProcess::finished);
    manager.terminate();
    ASSERT_TRUE(spy.wait(20000));
    EXPECT_EQ(manager.exitCode(), 0);
    for (const SProgramHandle& handle : vecWaiting) {
        SProgramRun run = FinishProgram(handle);
        EXPECT_EQ(run.nExit, 0) << run.strErr;
    }
    SProgramRun list = FinishProgram(Ctl({"--json", "nodes", "list"}));
    CJsonValue json = CJsonValue::Parse(list.strOut);
    ASSERT_TRUE(json.IsValid()) << list.strOut << list.strErr;
    std::set<std::string> setListed;
    for (const CJsonValue& node : json["result"]["nodes"].Items()) {
        setListed.insert(node["mac"].Str());
    }
    std::set<std::string> setExpected;
    for (int i = 10; i < 20; ++i) {
        setExpected.insert(Mac(i));
    }
    EXPECT_EQ(setListed, setExpected);
}
