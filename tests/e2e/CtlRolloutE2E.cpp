// mrvctl's rollout (download --parallel) against 64 simulated nodes on a test
// network, with the real ftp client: real sockets, the poll pump, the fixed
// pauses shortened tenfold and the client's time limit to seconds. The
// command runs in this program as mrvctl runs it; its JSON result is checked
// against what the simulator says the nodes hold.
#include "JsonReader.h"
#include "RawNodeClient.h"
#include "ShortPauseClock.h"
#include "TestFolder.h"
#include "cli/CtlCommands.h"
#include "cli/CtlUi.h"
#include "doc/OrvixDoc.h"
#include "params/ParamFile.h"
#include "platform/PollMessagePump.h"
#include "platform/PosixDatagramSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {
constexpr int NODES = 64; // as the simulator is started for this suite
// "TESTAPP V1.02" in its header.
const std::string IMAGE = "S0100000544553544150502056312E303297\r\n"
                          "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                          "S9030000FC\r\n";
constexpr uint32_t TIME_LIMIT_MS = 3000; // of the client, for the slow node

// mrvsim's generated nodes: MACs from 026200000001, addresses from 192.168.1.1.
std::string Mac(int n) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0262%08X", n + 1);
    return sz;
}

// What STATE says of a node: its mode, and its applications as "NAME Vm.nn".
struct SNodeHolds {
    std::string strMode;
    std::vector<std::string> vecApps;
};

SNodeHolds Holds(CSimControlClient& control, const std::string& strMac) {
    SNodeHolds holds;
    std::istringstream in(control.Request("STATE " + strMac));
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (strLine.rfind("mode ", 0) == 0) {
            holds.strMode = strLine.substr(5);
        }
        // file app "NAME" SIZE M.mm sum=XXXX
        if (strLine.rfind("file app \"", 0) == 0) {
            size_t nEnd = strLine.find('"', 10);
            std::istringstream rest(strLine.substr(nEnd + 1));
            std::string strSize;
            std::string strVersion;
            rest >> strSize >> strVersion;
            holds.vecApps.push_back(strLine.substr(10, nEnd - 10) + " V" + strVersion);
        }
    }
    return holds;
}

class CtlRolloutNet : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RawInsideTestNetwork()) << "runs only inside scripts/testnet";
        ASSERT_TRUE(m_control.IsOpen());
        m_dir = MakeTestFolder({"tmp"});
        ASSERT_FALSE(m_dir.empty()) << "no MRVT_DIR";
        setenv("TMPDIR", (m_dir / "tmp").c_str(), 1);
        m_strImage = (m_dir / "TESTAPP.mot").string();
        std::ofstream(m_strImage, std::ios::binary) << IMAGE;
        for (const char* psz : {"SET * user admin", "SET * password secret"}) {
            ASSERT_EQ(m_control.Request(psz), "OK\n");
        }
        // Half the nodes install the image under its header's name, half keep the file.
        for (int n = 0; n < NODES; n += 2) {
            ASSERT_EQ(m_control.Request("SET " + Mac(n) + " store install"), "OK\n");
        }
        m_settings.m_nTimeout = 1000;
        m_paramFile.m_strPath = (m_dir / "DefParam.ini").string();
        m_paramFile.LoadParams();
        m_pDoc = std::make_unique<COrvixDoc>(
            SDocEnv{m_ui, m_pump, m_clock, m_settings, m_paramFile.m_param, ""},
            std::make_unique<CPosixDatagramSocket>());
        SFtpRunEnv env;
        env.dwTimeLimit = TIME_LIMIT_MS;
        m_pDoc->SetFtpRunEnv(env);
        m_pDoc->AddNetwork("PLANT", 0xFFFFFF00u, 0xC0A801FEu);
        for (int n = 0; n < NODES; ++n) {
            m_pDoc->AddOrUpdateNode(0, 0xC0A80101u + static_cast<uint32_t>(n), Mac(n), true, "",
                                    "");
        }
    }
    void TearDown() override {
        m_pDoc.reset();
        // No working folder of the client (nor its script) is left.
        EXPECT_TRUE(fs::is_empty(m_dir / "tmp"));
        unsetenv("TMPDIR");
    }

    // Runs one mrvctl command line on the document; its exit status.
    int Ctl(std::vector<std::string> vecArgs) {
        vecArgs.insert(vecArgs.begin(), "mrvctl");
        std::string strError;
        EXPECT_EQ(ParseCtlArgs(vecArgs, m_args, strError), 0) << strError;
        SCtlContext ctx{*m_pDoc, m_paramFile, m_ui, m_args, m_result};
        RunCtlCommand(ctx);
        m_json = CJsonValue::Parse(m_result.json.Dump());
        return m_ui.GetExit();
    }

    CSimControlClient m_control;
    fs::path m_dir;
    std::string m_strImage;
    CCtlUi m_ui;
    CShortPauseClock m_clock{10};
    CPollMessagePump m_pump;
    SAppSettings m_settings;
    CParamFile m_paramFile;
    std::unique_ptr<COrvixDoc> m_pDoc;
    SCtlArgs m_args;
    SCtlResult m_result;
    CJsonValue m_json;
};
} // namespace

TEST_F(CtlRolloutNet, SixtyFourNodesSixteenAtOnceOneRefusingOneSilentOneSlow) {
    const std::string REFUSING = Mac(9);
    const std::string SILENT = Mac(20);
    const std::string SLOW = Mac(33);
    ASSERT_EQ(m_control.Request("FAULT " + REFUSING + " nostor on"), "OK\n");
    ASSERT_EQ(m_control.Request("FAULT " + SILENT + " ignore 0105 on"), "OK\n");
    ASSERT_EQ(m_control.Request("FAULT " + SLOW + " slow 60000"), "OK\n");

    auto tStart = std::chrono::steady_clock::now();
    const int nExit = Ctl({"download", "app", m_strImage, "--all", "--parallel", "16", "--yes"});
    const double dWall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();

    EXPECT_EQ(nExit, 5) << "the first node that failed refused the file";
    ASSERT_TRUE(m_json.IsValid());
    EXPECT_EQ(m_json["counts"]["loaded"].Int(), 61);
    EXPECT_EQ(m_json["counts"]["failed"].Int(), 3);
    EXPECT_EQ(m_json["counts"]["notDone"].Int(), 0);
    ASSERT_EQ(m_json["nodes"].Size(), static_cast<size_t>(NODES));
    double dSlowest = 0;
    for (int n = 0; n < NODES; ++n) {
        const CJsonValue& node = m_json["nodes"][static_cast<size_t>(n)];
        const std::string strMac = Mac(n);
        SCOPED_TRACE(strMac);
        ASSERT_EQ(node["mac"].Str(), strMac);
        EXPECT_EQ(node["ip"].Str(), "192.168.1." + std::to_string(n + 1));
        EXPECT_EQ(node["attempts"].Int(), 1);
        const SNodeHolds holds = Holds(m_control, strMac);
        EXPECT_EQ(holds.strMode, "0") << "back in operation";
        if (strMac == REFUSING || strMac == SILENT || strMac == SLOW) {
            EXPECT_EQ(node["result"].Str(), "failed");
            EXPECT_TRUE(holds.vecApps.empty());
            continue;
        }
        EXPECT_EQ(node["result"].Str(), "loaded");
        EXPECT_EQ(node["checked"].Str(), "version");
        // What the JSON says was read back is what the node holds.
        ASSERT_EQ(holds.vecApps.size(), 1u);
        EXPECT_EQ(node["version"].Str(), holds.vecApps[0]);
        EXPECT_EQ(holds.vecApps[0], n % 2 == 0 ? "TESTAPP V1.02" : "TESTAPP.mot V1.02");
        dSlowest = std::max(dSlowest, node["seconds"].Real());
    }
    auto Entry = [&](const std::string& strMac) {
        for (const CJsonValue& node : m_json["nodes"].Items()) {
            if (node["mac"].Str() == strMac) {
                return node;
            }
        }
        return CJsonValue();
    };
    const CJsonValue refusing = Entry(REFUSING);
    EXPECT_EQ(refusing["state"].Str(), "ダウンロード失敗");
    EXPECT_EQ(refusing["reason"].Str(), "MRV-620がﾀﾞｳﾝﾛｰﾄﾞﾌｧｲﾙを受け付けませんでした\r\n"
                                        "(550 TESTAPP.mot: Permission denied.)");
    EXPECT_EQ(refusing["exit"].Int(), 5);
    const CJsonValue silent = Entry(SILENT);
    EXPECT_EQ(silent["state"].Str(), "リブートエラー");
    EXPECT_EQ(silent["reason"].Str(), "MRV-620から応答がありません");
    EXPECT_EQ(silent["exit"].Int(), 3);
    const CJsonValue slow = Entry(SLOW);
    EXPECT_EQ(slow["state"].Str(), "ダウンロード失敗");
    EXPECT_EQ(slow["reason"].Str(), "FTPﾌﾟﾛｾｽでﾀｲﾑｱｳﾄが発生しました");
    EXPECT_EQ(slow["exit"].Int(), 5);
    EXPECT_GE(slow["seconds"].Real(), TIME_LIMIT_MS / 1000.0);
    // The slow node's transfer and the silent node's wait cost the others nothing.
    EXPECT_LT(dSlowest, slow["seconds"].Real());
    // The silent node was asked once and got nothing else: it never left operation.
    std::string strHistory = m_control.Request("HISTORY " + SILENT);
    EXPECT_NE(strHistory.find("0105 uc mode=07 ignored"), std::string::npos) << strHistory;
    EXPECT_EQ(strHistory.find("mode=00"), std::string::npos) << strHistory;
    std::printf("64 nodes, 16 at once: %.1f s; slowest loaded node %.2f s\n", dWall, dSlowest);
}
