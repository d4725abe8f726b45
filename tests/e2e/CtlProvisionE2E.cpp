// mrvctl as a provisioning script runs it: the real program, started once
// per step, against simulated nodes on a test network. Every step's --json
// output is parsed and checked against what the simulator holds.
#include "CtlSession.h"
#include "SimState.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
const std::vector<std::string> MACS = {
    "0080D4500001", "0080D4500002", "0080D4500003", "0080D4500004", "0080D4500005",
    "0080D4500006", "0080D4500007", "0080D4500008", "0080D4500009", "0080D450000A"};
// An application image whose header names it "TESTAPP V1.02".
const std::string APP_IMAGE = "S0100000544553544150502056312E303297\r\n"
                              "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                              "S9030000FC\r\n";

class CtlProvision : public CCtlSessionTest {
protected:
    void RegisterPlant() {
        SCtl ctl = Ctl({"networks", "add", "PLANT", "--gateway", "192.168.1.1"});
        ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    }
};

TEST_F(CtlProvision, AScriptRegistersSearchesAssignsSetsDownloadsAndListsVersions) {
    // A network.
    SCtl ctl =
        Ctl({"networks", "add", "PLANT", "--mask", "255.255.255.0", "--gateway", "192.168.1.1"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["network"]["name"].Str(), "PLANT");
    EXPECT_EQ(ctl.json["result"]["network"]["gateway"].Str(), "192.168.1.1");
    EXPECT_TRUE(ctl.json["result"]["network"]["current"].Bool());

    // The search finds the ten fresh nodes, all on the unset address.
    ctl = Ctl({"search"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    const CJsonValue& nodes = ctl.json["result"]["nodes"];
    ASSERT_EQ(nodes.Size(), MACS.size()) << Why(ctl);
    std::set<std::string> setFound;
    for (const CJsonValue& node : nodes.Items()) {
        setFound.insert(node["mac"].Str());
        EXPECT_EQ(node["ip"].Str(), "192.168.200.254");
        EXPECT_FALSE(node["addressed"].Bool());
    }
    EXPECT_EQ(setFound, std::set<std::string>(MACS.begin(), MACS.end()));

    // Automatic assignment from .100 on: every node holds what mrvctl reports.
    ctl = Ctl({"autoset", "--base", "192.168.1.100", "--increment", "1", "--on-silence", "stop"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    const CJsonValue& assigned = ctl.json["result"]["assigned"];
    ASSERT_EQ(assigned.Size(), MACS.size()) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["silent"].Size(), 0u);
    std::map<std::string, std::string> mapIp;
    for (const CJsonValue& node : assigned.Items()) {
        mapIp[node["mac"].Str()] = node["ip"].Str();
        std::map<std::string, std::string> state = NodeState(m_control, node["mac"].Str());
        EXPECT_EQ(state["ip"], node["ip"].Str()) << node["mac"].Str();
        EXPECT_EQ(ParamFields(state["param"])["dwGateway"], "192.168.1.1") << node["mac"].Str();
    }
    std::set<std::string> setIps;
    for (const auto& [strMac, strIp] : mapIp) {
        setIps.insert(strIp);
        EXPECT_EQ(strIp.rfind("192.168.1.", 0), 0u) << strIp;
    }
    EXPECT_EQ(setIps.size(), MACS.size());

    // One node's parameters into a file, in the format of DefParam.ini.
    fs::path iniPath = m_dir / "line.ini";
    ctl = Ctl({"get-params", MACS[0], "--out", iniPath.string()});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["params"]["Mtu"].Str(), "1500");
    EXPECT_EQ(ctl.json["result"]["ip"].Str(), mapIp[MACS[0]]);
    std::string strIni = ReadFile(iniPath);
    ASSERT_EQ(strIni.rfind("[MRV-620_Parameter]\r\n", 0), 0u) << strIni;
    size_t nMtu = strIni.find("\r\nMtu=1500\r\n");
    ASSERT_NE(nMtu, std::string::npos) << strIni;

    // One field changed by hand, then the file into three nodes.
    strIni.replace(nMtu, std::string("\r\nMtu=1500\r\n").size(), "\r\nMtu=1400\r\n");
    WriteFile(iniPath, strIni);
    std::map<std::string, std::string> untouched = NodeState(m_control, MACS[3]);
    ctl = Ctl({"set-params", MACS[0], MACS[1], mapIp[MACS[2]], "--from", iniPath.string()});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    ASSERT_EQ(ctl.json["result"]["nodes"].Size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(ctl.json["result"]["nodes"][i]["mac"].Str(), MACS[i]);
        EXPECT_EQ(ctl.json["result"]["nodes"][i]["exit"].Int(), 0);
        std::map<std::string, std::string> state = NodeState(m_control, MACS[i]);
        std::map<std::string, std::string> fields = ParamFields(state["param"]);
        EXPECT_EQ(fields["wMtu"], "1400") << MACS[i];
        EXPECT_EQ(state["ip"], mapIp[MACS[i]]) << MACS[i];
        EXPECT_EQ(fields["dwGateway"], "192.168.1.1") << MACS[i];
    }
    EXPECT_EQ(NodeState(m_control, MACS[3])["param"], untouched["param"]);

    // An application into the same three nodes.
    fs::path appPath = m_dir / "TESTAPP.mot";
    WriteFile(appPath, APP_IMAGE);
    ctl = Ctl(
        {"download", "app", appPath.string(), MACS[0], MACS[1], MACS[2], "--retry", "1", "--yes"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    ASSERT_EQ(ctl.json["result"]["nodes"].Size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(ctl.json["result"]["nodes"][i]["exit"].Int(), 0) << Why(ctl);
        EXPECT_EQ(ctl.json["result"]["nodes"][i]["attempts"].Int(), 1) << Why(ctl);
        std::string strWait =
            m_control.Request("WAIT " + MACS[i] + " file=TESTAPP.mot mode=0 timeout=5000");
        EXPECT_NE(strWait.find("OK"), std::string::npos) << MACS[i] << ": " << strWait;
    }
    EXPECT_NE(m_control.Request("WAIT " + MACS[3] + " nofile=TESTAPP.mot timeout=100").find("OK"),
              std::string::npos);

    // Their versions list the application.
    ctl = Ctl({"version", MACS[0], MACS[1], MACS[2]});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    ASSERT_EQ(ctl.json["result"]["nodes"].Size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const CJsonValue& node = ctl.json["result"]["nodes"][i];
        EXPECT_EQ(node["mac"].Str(), MACS[i]);
        bool bListed = false;
        for (const CJsonValue& app : node["apps"].Items()) {
            bListed = bListed || (app["name"].Str().find("TESTAPP") != std::string::npos &&
                                  app["version"].Str() == "1.02");
        }
        EXPECT_TRUE(bListed) << Why(ctl);
    }

    // The data file beside the program, as the manager keeps it, holds them all.
    EXPECT_TRUE(fs::exists(m_dir / "bin" / "mrvmgr.dat"));
    ctl = Ctl({"nodes", "list"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    ASSERT_EQ(ctl.json["result"]["nodes"].Size(), MACS.size());
    for (const CJsonValue& node : ctl.json["result"]["nodes"].Items()) {
        EXPECT_EQ(node["ip"].Str(), mapIp[node["mac"].Str()]);
    }
}

TEST_F(CtlProvision, TheSearchGoesThroughTheNamedInterfaceOrRefusesAnUnknownOne) {
    RegisterPlant();
    // An interface that does not exist: bad input, nothing sent, the usable ones named.
    SCtl ctl = Ctl({"--interface", "nosuch0", "search"});
    EXPECT_EQ(ctl.run.nExit, 2) << Why(ctl);
    EXPECT_NE(ctl.run.strErr.find("no interface 'nosuch0' can broadcast (usable: pc0)"),
              std::string::npos)
        << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["nodes"].Size(), 0u);
    // The segment's own interface finds its nodes.
    ctl = Ctl({"search", "--interface", "pc0"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["nodes"].Size(), MACS.size()) << Why(ctl);
}

TEST_F(CtlProvision, ASilentNodeEndsWithTheNoReplyStatusAndTheManagersText) {
    RegisterPlant();
    SCtl ctl = Ctl({"nodes", "add", MACS[0], "--ip", "192.168.200.254"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    ASSERT_NE(m_control.Request("FAULT " + MACS[0] + " silent on").find("OK"), std::string::npos);
    ctl = Ctl({"get-params", "1"});
    EXPECT_EQ(ctl.run.nExit, 3) << Why(ctl);
    EXPECT_EQ(ctl.json["messages"][0]["text"].Str(), "MRV-620から応答がありません");
    EXPECT_NE(ctl.run.strErr.find("mrvctl: MRV-620から応答がありません"), std::string::npos);
}

TEST_F(CtlProvision, AnAbnormalReplyEndsWithItsStatus) {
    RegisterPlant();
    ASSERT_EQ(Ctl({"search"}).run.nExit, 0);
    ASSERT_NE(m_control.Request("FAULT " + MACS[1] + " result 0105 04").find("OK"),
              std::string::npos);
    SCtl ctl = Ctl({"mode", MACS[1], "7"});
    EXPECT_EQ(ctl.run.nExit, 4) << Why(ctl);
    EXPECT_EQ(ctl.json["messages"][0]["text"].Str().rfind("MRV-620から異常応答を受信しました\n", 0),
              0u)
        << Why(ctl);
    EXPECT_EQ(NodeState(m_control, MACS[1])["mode"], "0");
}

TEST_F(CtlProvision, AnUnansweredSilenceEndsTheRunWithItsOwnStatus) {
    RegisterPlant();
    ASSERT_EQ(Ctl({"search"}).run.nExit, 0);
    ASSERT_NE(m_control.Request("FAULT " + MACS[0] + " silent on").find("OK"), std::string::npos);
    SCtl ctl = Ctl({"autoset", "--base", "192.168.1.100"});
    EXPECT_EQ(ctl.run.nExit, 7) << Why(ctl);
    EXPECT_NE(ctl.run.strErr.find("--on-silence"), std::string::npos) << Why(ctl);
    // The run ended at the silent node: nobody else was given an address.
    EXPECT_EQ(ctl.json["result"]["assigned"].Size(), 0u) << Why(ctl);
    EXPECT_EQ(NodeState(m_control, MACS[1])["ip"], "192.168.200.254");
}

TEST_F(CtlProvision, ABatchRetriesTheFailedNodeAsOftenAsToldAndSaysSo) {
    RegisterPlant();
    ASSERT_EQ(Ctl({"search"}).run.nExit, 0);
    ASSERT_EQ(Ctl({"autoset", "--base", "192.168.1.100", "--on-silence", "stop"}).run.nExit, 0);
    ASSERT_NE(m_control.Request("FAULT " + MACS[1] + " nostor on").find("OK"), std::string::npos);
    fs::path appPath = m_dir / "TESTAPP.mot";
    WriteFile(appPath, APP_IMAGE);

    // Without --yes the batch's confirmation is a question nobody answered.
    SCtl ctl = Ctl({"download", "app", appPath.string(), MACS[0], MACS[1]});
    EXPECT_EQ(ctl.run.nExit, 7) << Why(ctl);
    EXPECT_EQ(m_control.Request("HISTORY " + MACS[0]).find("0105"), std::string::npos);

    ctl = Ctl({"download", "app", appPath.string(), MACS[0], MACS[1], "--retry", "1", "--yes"});
    EXPECT_EQ(ctl.run.nExit, 5) << Why(ctl);
    const CJsonValue& nodes = ctl.json["result"]["nodes"];
    ASSERT_EQ(nodes.Size(), 2u) << Why(ctl);
    EXPECT_EQ(nodes[0]["exit"].Int(), 0);
    EXPECT_EQ(nodes[0]["attempts"].Int(), 1); // loaded on the first pass
    EXPECT_EQ(nodes[1]["exit"].Int(), 5);
    EXPECT_EQ(nodes[1]["attempts"].Int(), 2);
    EXPECT_EQ(nodes[1]["state"].Str(), "ダウンロード失敗");
    EXPECT_NE(
        m_control.Request("WAIT " + MACS[0] + " file=TESTAPP.mot mode=0 timeout=5000").find("OK"),
        std::string::npos);
    EXPECT_NE(m_control.Request("WAIT " + MACS[1] + " nofile=TESTAPP.mot timeout=100").find("OK"),
              std::string::npos);
    EXPECT_NE(ctl.run.strErr.find("mrvctl: download to " + MACS[1] + " failed"), std::string::npos)
        << Why(ctl);
}

TEST_F(CtlProvision, VerboseShowsEachDatagramAndFtpStepButNeverTheAccountQuietOnlyFailures) {
    RegisterPlant();
    ASSERT_EQ(Ctl({"search"}).run.nExit, 0);
    ASSERT_EQ(Ctl({"autoset", "--base", "192.168.1.100", "--on-silence", "stop"}).run.nExit, 0);
    for (const char* pszSet : {" user Kakushi-op", " password Himitsu-42"}) {
        ASSERT_NE(m_control.Request("SET " + MACS[2] + pszSet).find("OK"), std::string::npos);
    }
    fs::path appPath = m_dir / "TESTAPP.mot";
    WriteFile(appPath, APP_IMAGE);
    const std::vector<std::string> vecEnv = Env();
    const std::string strCtl = CtlPath();

    SProgramRun run = RunProgram({strCtl, "-v", "download", "app", appPath.string(), MACS[2]},
                                 vecEnv, m_dir.string());
    ASSERT_EQ(run.nExit, 0) << run.strErr;
    const std::string& strErr = run.strErr;
    for (const std::string& strStep :
         {"mrvctl: udp -> 192.168.1.102:65533 0105 " + MACS[2] + " mode 07 (12 bytes)",
          "mrvctl: udp <- 192.168.1.102:65533 0205 " + MACS[2],
          "mrvctl: udp -> 192.168.1.102:65533 0103 " + MACS[2],
          std::string("mrvctl: ftp 192.168.1.102: connection check with the node's account"),
          std::string("mrvctl: ftp> user ****\n"), std::string("mrvctl: ftp< 226 "),
          std::string("mrvctl: ftp 192.168.1.102: the client ended (status 0)"),
          "mrvctl: udp -> 192.168.1.102:65533 0105 " + MACS[2] + " mode 00 (12 bytes)",
          std::string("mrvctl: ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました")}) {
        EXPECT_NE(strErr.find(strStep), std::string::npos) << strStep << "\n" << strErr;
    }
    EXPECT_EQ(strErr.find("Kakushi"), std::string::npos) << strErr;
    EXPECT_EQ(strErr.find("Himitsu"), std::string::npos) << strErr;

    // Quiet: a success says nothing at all, a failure only itself.
    run = RunProgram({strCtl, "-q", "download", "app", appPath.string(), MACS[2]}, vecEnv,
                     m_dir.string());
    EXPECT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_EQ(run.strOut + run.strErr, "");
    ASSERT_NE(m_control.Request("FAULT " + MACS[2] + " silent on").find("OK"), std::string::npos);
    run = RunProgram({strCtl, "--quiet", "version", MACS[2]}, vecEnv, m_dir.string());
    EXPECT_EQ(run.nExit, 3);
    EXPECT_EQ(run.strOut, "");
    EXPECT_EQ(run.strErr, "mrvctl: MRV-620から応答がありません\n");
}

TEST_F(CtlProvision, SetWithOneKeyChangesThatKeyOfTheNodeAndNothingElse) {
    RegisterPlant();
    ASSERT_EQ(Ctl({"search"}).run.nExit, 0);
    ASSERT_NE(m_control.Request("SET " + MACS[4] + " param.szUserName op").find("OK"),
              std::string::npos);
    ASSERT_NE(m_control.Request("SET " + MACS[4] + " param.wIdleTimer 300").find("OK"),
              std::string::npos);
    std::map<std::string, std::string> before = ParamFields(NodeState(m_control, MACS[4])["param"]);
    ASSERT_EQ(before["szUserName"], "\"op\"");
    SCtl ctl = Ctl({"set-params", MACS[4], "--set", "Mtu=1300"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    std::map<std::string, std::string> expected = before;
    expected["wMtu"] = "1300";
    EXPECT_EQ(ParamFields(NodeState(m_control, MACS[4])["param"]), expected);
}

// The README's provisioning script, run as it stands, twice.
TEST_F(CtlProvision, TheReadmeScriptRunsAndRunsAgain) {
    std::string strReadme = ReadFile(ORVIX_README);
    size_t nAt = strReadme.find("A plant commissioned by script:\n\n");
    ASSERT_NE(nAt, std::string::npos);
    std::istringstream in(strReadme.substr(strReadme.find("\n\n", nAt) + 2));
    std::string strScript;
    for (std::string strLine; std::getline(in, strLine) && strLine.rfind("    ", 0) == 0;) {
        strScript += strLine.substr(4) + "\n";
    }
    ASSERT_NE(strScript.find("set -e\n"), std::string::npos) << strScript;
    WriteFile(m_dir / "TESTAPP.mot", APP_IMAGE);
    const char* pszPath = std::getenv("PATH");
    for (int nRun = 1; nRun <= 2; ++nRun) {
        std::vector<std::string> vecEnv = Env();
        vecEnv.push_back("PATH=" + (m_dir / "bin").string() + ":" +
                         (pszPath ? pszPath : "/usr/bin:/bin"));
        SProgramRun run = RunProgram({"/bin/bash", "-c", strScript}, vecEnv, m_dir.string());
        ASSERT_EQ(run.nExit, 0) << "run " << nRun << "\n" << strScript << run.strErr;
        CJsonValue versions = CJsonValue::Parse(ReadFile(m_dir / "versions.json"));
        ASSERT_TRUE(versions.IsValid()) << "run " << nRun;
        EXPECT_EQ(versions["result"]["nodes"].Size(), 3u) << "run " << nRun;
    }
    SCtl ctl = Ctl({"networks", "list"});
    EXPECT_EQ(ctl.json["result"]["networks"].Size(), 1u) << Why(ctl);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(ParamFields(NodeState(m_control, MACS[i])["param"])["wMtu"], "1400") << MACS[i];
    }
}

TEST_F(CtlProvision, ATakenPortNamesItsHolder) {
    RegisterPlant();
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(65532);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    // This test holds it: the holder is named as the kernel knows it, never guessed.
    SCtl ctl = Ctl({"search"});
    EXPECT_EQ(ctl.run.nExit, 6);
    EXPECT_NE(ctl.run.strErr.find("port 65532 is in use by mrvctl_e2e (pid " +
                                  std::to_string(::getpid()) + ")"),
              std::string::npos)
        << Why(ctl);
    EXPECT_EQ(ctl.json["messages"].Size(), 2u) << Why(ctl);
    // Listing the registry needs no port.
    ctl = Ctl({"networks", "list"});
    ::close(fd);
    EXPECT_EQ(ctl.run.nExit, 0) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["networks"][0]["name"].Str(), "PLANT");
}

TEST_F(CtlProvision, AnotherMrvctlOnThePortIsNamedAndWaitedFor) {
    RegisterPlant();
    ASSERT_EQ(Ctl({"search"}).run.nExit, 0);
    // A long command on another data file holds the port.
    ASSERT_NE(m_control.Request("FAULT * delay 200").find("OK"), std::string::npos);
    fs::path otherData = m_dir / "other.dat";
    ASSERT_EQ(Ctl({"--file", otherData.string(), "networks", "add", "LINE2"}).run.nExit, 0);
    ASSERT_EQ(Ctl({"--file", otherData.string(), "search"}).run.nExit, 0);
    ASSERT_NE(m_control.Request("HISTORY " + MACS[0] + " CLEAR").find("OK"), std::string::npos);
    SProgramHandle other = Start({"--file", otherData.string(), "version", MACS[0], MACS[1],
                                  MACS[2], MACS[3], MACS[4], MACS[5]},
                                 {}, "other");
    ASSERT_NE(m_control.Request("WAIT " + MACS[0] + " seen=1 timeout=10000").find("OK"),
              std::string::npos);
    SCtl ctl = Ctl({"version", MACS[0]});
    EXPECT_EQ(ctl.run.nExit, 6) << Why(ctl);
    EXPECT_NE(ctl.run.strErr.find("port 65532 is in use by another mrvctl (pid " +
                                  std::to_string(other.pid) + ")"),
              std::string::npos)
        << Why(ctl);
    ctl = Ctl({"--wait", "60", "version", MACS[0]});
    EXPECT_EQ(ctl.run.nExit, 0) << Why(ctl);
    EXPECT_EQ(FinishProgram(other).nExit, 0);
    m_control.Request("FAULT * clear");
}
} // namespace
