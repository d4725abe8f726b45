// The data file mrvctl writes is the manager's: the real mrvctl, installed in
// a folder of its own, registers a network and nodes without a display; the
// manager's window then opens the file it finds beside itself and lists them.
#include "MemoryDatagramSocket.h"
#include "ProgramRun.h"
#include "ScratchDir.h"
#include "app/OrvixApp.h"
#include "doc/OrvixDoc.h"
#include "gui/MainFrame.h"
#include "gui/ManagerSession.h"
#include "gui/OrvixView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

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
