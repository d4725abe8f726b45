// mrvctl told to stop by a real signal in the middle of its work against
// simulated nodes: it ends at its next safe point, every node it touched is
// back in operation, and the data file says what the nodes really hold.
#include "CtlSession.h"
#include "SimState.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr size_t NODE_COUNT = 50; // as the simulator is started for this suite
// An application image whose header names it "TESTAPP V1.02".
const std::string APP_IMAGE = "S0100000544553544150502056312E303297\r\n"
                              "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                              "S9030000FC\r\n";

class CtlStop : public CCtlSessionTest {
protected:
    bool SimSays(const std::string& strRequest) {
        std::string strReply = m_control.Request(strRequest);
        EXPECT_NE(strReply.find("OK"), std::string::npos) << strRequest << ": " << strReply;
        return strReply.find("OK") != std::string::npos;
    }

    // The current network as the data file holds it: MAC -> address.
    std::map<std::string, std::string> Registry() {
        SCtl ctl = Ctl({"nodes", "list"});
        EXPECT_EQ(ctl.run.nExit, 0) << Why(ctl);
        std::map<std::string, std::string> map;
        for (const CJsonValue& node : ctl.json["result"]["nodes"].Items()) {
            map[node["mac"].Str()] = node["ip"].Str();
        }
        return map;
    }

    // Every node is in operation, and the registry has each on the address it holds.
    void ExpectRegistryMatchesTheNodes() {
        std::map<std::string, std::string> mapRegistry = Registry();
        EXPECT_EQ(mapRegistry.size(), NODE_COUNT);
        for (const auto& [strMac, strIp] : mapRegistry) {
            std::map<std::string, std::string> state = NodeState(m_control, strMac);
            EXPECT_EQ(state["mode"], "0") << strMac;
            EXPECT_EQ(state["ip"], strIp) << strMac;
        }
    }

    // A registered network with the fifty nodes found; their MACs in list order.
    std::vector<std::string> RegisterAndSearch() {
        SCtl ctl = Ctl({"networks", "add", "PLANT", "--gateway", "192.168.1.1"});
        EXPECT_EQ(ctl.run.nExit, 0) << Why(ctl);
        ctl = Ctl({"search"});
        EXPECT_EQ(ctl.run.nExit, 0) << Why(ctl);
        std::vector<std::string> vecMacs;
        for (const CJsonValue& node : ctl.json["result"]["nodes"].Items()) {
            vecMacs.push_back(node["mac"].Str());
        }
        EXPECT_EQ(vecMacs.size(), NODE_COUNT);
        return vecMacs;
    }

    // The fifty nodes found and given addresses; their MACs in list order.
    std::vector<std::string> RegisterAndAssign() {
        std::vector<std::string> vecMacs = RegisterAndSearch();
        SCtl ctl = Ctl({"autoset", "--base", "192.168.1.100", "--on-silence", "stop"});
        EXPECT_EQ(ctl.run.nExit, 0) << Why(ctl);
        return vecMacs;
    }
    std::string AppImage() {
        fs::path path = m_dir / "TESTAPP.mot";
        std::ofstream(path, std::ios::binary) << APP_IMAGE;
        return path.string();
    }
    bool HasApp(const std::string& strMac) {
        return m_control.Request("WAIT " + strMac + " file=TESTAPP.mot timeout=0").find("OK") !=
               std::string::npos;
    }
};
} // namespace

TEST_F(CtlStop, SigintDuringAnAutomaticAssignmentKeepsTheAddressesGivenSoFar) {
    std::vector<std::string> vecMacs = RegisterAndSearch();
    ASSERT_EQ(vecMacs.size(), NODE_COUNT);
    // Each reply comes a moment late, so that the run is still going when the signal comes.
    ASSERT_TRUE(SimSays("FAULT * delay 100"));
    SProgramHandle handle = Start({"autoset", "--base", "192.168.1.100", "--on-silence", "stop"});
    ASSERT_TRUE(SimSays("WAIT " + vecMacs[2] + " ip=192.168.1.102 timeout=30000"));
    ASSERT_EQ(::kill(handle.pid, SIGINT), 0);
    SCtl ctl = Finish(handle);
    ASSERT_TRUE(SimSays("FAULT * clear"));

    EXPECT_EQ(ctl.run.nExit, 130) << Why(ctl);
    EXPECT_NE(ctl.run.strErr.find("mrvctl: stopped by SIGINT"), std::string::npos) << Why(ctl);
    size_t nAssigned = ctl.json["result"]["assigned"].Size();
    EXPECT_GE(nAssigned, 3u) << Why(ctl);
    EXPECT_LT(nAssigned, NODE_COUNT) << Why(ctl);
    ExpectRegistryMatchesTheNodes();
}

TEST_F(CtlStop, ASecondSignalEndsItAtOnceWithTheDataFileWhole) {
    std::vector<std::string> vecMacs = RegisterAndSearch();
    ASSERT_EQ(vecMacs.size(), NODE_COUNT);
    ASSERT_TRUE(SimSays("FAULT * delay 300"));
    SProgramHandle handle = Start({"autoset", "--base", "192.168.1.100", "--on-silence", "stop"});
    ASSERT_TRUE(SimSays("WAIT " + vecMacs[0] + " ip=192.168.1.100 timeout=30000"));
    // Two signals of two kinds, so that the second is not merged into the first.
    ASSERT_EQ(::kill(handle.pid, SIGTERM), 0);
    ASSERT_EQ(::kill(handle.pid, SIGINT), 0);
    SCtl ctl = Finish(handle);
    ASSERT_TRUE(SimSays("FAULT * clear"));
    EXPECT_TRUE(ctl.run.nExit == 130 || ctl.run.nExit == 143) << Why(ctl);
    ASSERT_EQ(ctl.json["messages"].Size(), 1u) << Why(ctl);
    EXPECT_EQ(ctl.json["messages"][0]["text"].Str().rfind("stopped at once by a second signal", 0),
              0u)
        << Why(ctl);
    // Whole: the next command reads it.
    EXPECT_EQ(Registry().size(), NODE_COUNT);
}

TEST_F(CtlStop, SigintDuringASingleDownloadBringsTheNodeBackWithoutTheTransfer) {
    std::vector<std::string> vecMacs = RegisterAndAssign();
    ASSERT_EQ(vecMacs.size(), NODE_COUNT);
    SProgramHandle handle = Start({"download", "app", AppImage(), vecMacs[0]});
    // In its download mode, while the manager's restart pause runs.
    ASSERT_TRUE(SimSays("WAIT " + vecMacs[0] + " mode=7 timeout=30000"));
    ASSERT_EQ(::kill(handle.pid, SIGINT), 0);
    SCtl ctl = Finish(handle);
    EXPECT_EQ(ctl.run.nExit, 130) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["stopped"]["notDone"][0].Str(), vecMacs[0]) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["nodes"][0]["exit"].Int(), 130) << Why(ctl);
    EXPECT_FALSE(HasApp(vecMacs[0]));
    ExpectRegistryMatchesTheNodes();
}

TEST_F(CtlStop, SigintDuringABatchEndsAfterTheNodeInHandAndLeavesEveryNodeInOperation) {
    std::vector<std::string> vecMacs = RegisterAndAssign();
    ASSERT_EQ(vecMacs.size(), NODE_COUNT);
    SProgramHandle handle =
        Start({"download", "app", AppImage(), vecMacs[0], vecMacs[1], vecMacs[2], "--yes"});
    // The first node done, the second in its download mode.
    ASSERT_TRUE(SimSays("WAIT " + vecMacs[1] + " mode=7 timeout=30000"));
    ASSERT_EQ(::kill(handle.pid, SIGINT), 0);
    SCtl ctl = Finish(handle);
    EXPECT_EQ(ctl.run.nExit, 130) << Why(ctl);
    const CJsonValue& nodes = ctl.json["result"]["nodes"];
    ASSERT_EQ(nodes.Size(), 3u) << Why(ctl);
    EXPECT_EQ(nodes[0]["exit"].Int(), 0) << Why(ctl);
    EXPECT_EQ(nodes[1]["exit"].Int(), 130) << Why(ctl);
    EXPECT_EQ(nodes[2]["exit"].Int(), 130) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["stopped"]["notDone"].Size(), 2u) << Why(ctl);
    EXPECT_TRUE(HasApp(vecMacs[0]));
    EXPECT_FALSE(HasApp(vecMacs[1]));
    EXPECT_FALSE(HasApp(vecMacs[2]));
    EXPECT_EQ(m_control.Request("HISTORY " + vecMacs[2]).find("0105"), std::string::npos)
        << "the third node was never touched";
    ExpectRegistryMatchesTheNodes();
}

TEST_F(CtlStop, KilledDuringAnFtpRunItLeavesNoClientAndTheNextStartNoFolder) {
    std::vector<std::string> vecMacs = RegisterAndAssign();
    ASSERT_EQ(vecMacs.size(), NODE_COUNT);
    // A client that says its pid once it runs, then hangs.
    fs::create_directories(m_dir / "fakebin");
    const fs::path fakeFtp = m_dir / "fakebin" / "ftp";
    std::ofstream(fakeFtp) << "#!/bin/sh\necho $$ > \"$FAKE_FTP_FIFO\"\nexec sleep 300\n";
    fs::permissions(fakeFtp, fs::perms::owner_all);
    const std::string strFifo = (m_dir / "ftp.fifo").string();
    ASSERT_EQ(::mkfifo(strFifo.c_str(), 0600), 0);
    int fdFifo = ::open(strFifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fdFifo, 0);
    const char* pszPath = std::getenv("PATH");
    SProgramHandle handle =
        Start({"download", "app", AppImage(), vecMacs[0]},
              {"PATH=" + (m_dir / "fakebin").string() + ":" + (pszPath != nullptr ? pszPath : ""),
               "FAKE_FTP_FIFO=" + strFifo});
    pollfd pfd{fdFifo, POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 60000), 1) << "the client never ran";
    char szPid[32] = {};
    ASSERT_GT(::read(fdFifo, szPid, sizeof szPid - 1), 0);
    ::close(fdFifo);
    const pid_t pidClient = static_cast<pid_t>(std::atoi(szPid));
    int fdClient = static_cast<int>(::syscall(SYS_pidfd_open, pidClient, 0));
    ASSERT_GE(fdClient, 0);
    auto FtpFolders = [&] {
        size_t n = 0;
        for (const auto& entry : fs::directory_iterator(m_dir / "tmp")) {
            n += entry.path().filename().string().rfind("mrvmgr-ftp-", 0) == 0 ? 1 : 0;
        }
        return n;
    };
    EXPECT_EQ(FtpFolders(), 1u);

    ASSERT_EQ(::kill(handle.pid, SIGKILL), 0);
    FinishProgram(handle);
    pollfd pfdClient{fdClient, POLLIN, 0};
    EXPECT_EQ(::poll(&pfdClient, 1, 5000), 1) << "the client outlived mrvctl";
    ::close(fdClient);
    if (pfdClient.revents == 0) {
        ::kill(pidClient, SIGKILL);
    }
    // Killed, it could not clean up; the next start does.
    EXPECT_EQ(FtpFolders(), 1u);
    SCtl ctl = Ctl({"nodes", "list"});
    EXPECT_EQ(ctl.run.nExit, 0) << Why(ctl);
    EXPECT_EQ(FtpFolders(), 0u);
}

TEST_F(CtlStop, SigintDuringARolloutBringsTheNodesInHandBackAndStartsNoOther) {
    std::vector<std::string> vecMacs = RegisterAndAssign();
    ASSERT_EQ(vecMacs.size(), NODE_COUNT);
    SProgramHandle handle =
        Start({"download", "app", AppImage(), "--all", "--parallel", "8", "--yes"});
    // Eight in flight, the eighth in its download mode, in the restart pause.
    ASSERT_TRUE(SimSays("WAIT " + vecMacs[7] + " mode=7 timeout=30000"));
    ASSERT_EQ(::kill(handle.pid, SIGINT), 0);
    SCtl ctl = Finish(handle);
    EXPECT_EQ(ctl.run.nExit, 130) << Why(ctl);
    const CJsonValue& nodes = ctl.json["result"]["nodes"];
    ASSERT_EQ(nodes.Size(), NODE_COUNT) << Why(ctl);
    size_t nNotDone = 0;
    for (size_t i = 0; i < NODE_COUNT; ++i) {
        const std::string strResult = nodes[i]["result"].Str();
        nNotDone += strResult == "not done" ? 1 : 0;
        // Loaded only when its transfer had begun; never half.
        EXPECT_EQ(HasApp(vecMacs[i]), strResult == "loaded") << vecMacs[i] << " " << strResult;
        if (i >= 8) {
            EXPECT_EQ(strResult, "not done") << vecMacs[i];
            EXPECT_EQ(m_control.Request("HISTORY " + vecMacs[i]).find("0105"), std::string::npos)
                << "never touched";
        }
    }
    EXPECT_EQ(ctl.json["result"]["stopped"]["notDone"].Size(), nNotDone) << Why(ctl);
    EXPECT_GE(nNotDone, NODE_COUNT - 8);
    ExpectRegistryMatchesTheNodes();
}
