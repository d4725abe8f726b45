// A plant commissioned from a manifest by the real mrvctl against simulated
// nodes: the check, the run, the as-built record against what the nodes
// hold, a second run that changes nothing; and the operation log it leaves.
#include "CtlSession.h"
#include "SimState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {
// An application image whose header names it "TESTAPP V1.02".
const std::string APP_IMAGE = "S0100000544553544150502056312E303297\r\n"
                              "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                              "S9030000FC\r\n";
const std::string ABSENT = "0080D46000FF";
const std::string IMAGE_PASSWORD = "Img-Pw-41";  // the account of nodes 04 and 05
const std::string PARAM_PASSWORD = "Pw-Param-3"; // what p3.ini gives node 03

// The rows of a CSV text (quoted cells with "" for a quote), header first.
std::vector<std::vector<std::string>> ParseCsv(const std::string& strText) {
    std::vector<std::vector<std::string>> vecRows(1);
    std::string strCell;
    bool bQuoted = false;
    for (size_t i = 0; i < strText.size(); ++i) {
        char c = strText[i];
        if (bQuoted) {
            if (c == '"' && i + 1 < strText.size() && strText[i + 1] == '"') {
                strCell += '"';
                ++i;
            } else if (c == '"') {
                bQuoted = false;
            } else {
                strCell += c;
            }
        } else if (c == '"') {
            bQuoted = true;
        } else if (c == ',') {
            vecRows.back().push_back(strCell);
            strCell.clear();
        } else if (c == '\n') {
            vecRows.back().push_back(strCell);
            strCell.clear();
            vecRows.emplace_back();
        } else if (c != '\r') {
            strCell += c;
        }
    }
    vecRows.pop_back(); // after the last line end
    return vecRows;
}

// A node as STATE tells it: its lines by key, the files one a line.
struct SNodeState {
    std::map<std::string, std::string> mapLines;
    std::vector<std::string> vecFiles;
};

SNodeState ReadState(CSimControlClient& control, const std::string& strMac) {
    SNodeState state;
    std::istringstream in(control.Request("STATE " + strMac));
    for (std::string strLine; std::getline(in, strLine);) {
        size_t nSpace = strLine.find(' ');
        if (nSpace == std::string::npos) {
            continue;
        }
        std::string strKey = strLine.substr(0, nSpace);
        if (strKey == "file") {
            state.vecFiles.push_back(strLine.substr(nSpace + 1));
        } else {
            state.mapLines[strKey] = strLine.substr(nSpace + 1);
        }
    }
    return state;
}

class CtlCommission : public CCtlSessionTest {
protected:
    void SetUp() override {
        CCtlSessionTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        fs::create_directories(m_dir / "plant");
        m_log = m_dir / "home" / ".config" / "mrvmgr" / "operations.log";
        for (int n = 1; n <= 0x13; ++n) {
            char sz[16];
            std::snprintf(sz, sizeof sz, "0080D46000%02X", n);
            m_vecPresent.emplace_back(sz);
        }
    }

    void RegisterPlant() {
        SCtl ctl = Ctl(
            {"networks", "add", "PLANT", "--mask", "255.255.0.0", "--gateway", "10.62.255.254"});
        ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);
    }

    // The plant's list: three nodes with parameter files, two with an image,
    // one that is not there, one on the PC's own address (strPcLine's ip).
    fs::path WriteManifest(const std::string& strCollidingIp) {
        WriteFile(m_dir / "plant" / "p1.ini", "[MRV-620_Parameter]\r\nMtu=1400\r\n");
        WriteFile(m_dir / "plant" / "p2.ini", "[MRV-620_Parameter]\r\nIdleTimer=300\r\n");
        WriteFile(m_dir / "plant" / "p3.ini",
                  "[MRV-620_Parameter]\r\nUser=ops\r\nPassw=" + PARAM_PASSWORD + "\r\n");
        WriteFile(m_dir / "plant" / "TESTAPP.mot", APP_IMAGE);
        std::string strCsv = "mac,ip,serial,remarks,params,image\r\n";
        auto Line = [&](const std::string& strMac, const std::string& strIp,
                        const std::string& strRest) {
            strCsv += strMac + "," + strIp + "," + strRest + "\r\n";
        };
        Line(m_vecPresent[0], "10.62.1.11", "SN-01,Panel A1,p1.ini,");
        Line(m_vecPresent[1], "10.62.1.12", "SN-02,Panel A2,p2.ini,");
        Line(m_vecPresent[2], "10.62.1.13", "SN-03,\"Panel A3, rear\",p3.ini,");
        Line(m_vecPresent[3], "10.62.1.14", "SN-04,Panel B1,,TESTAPP.mot");
        Line(m_vecPresent[4], "10.62.1.15", "SN-05,Panel B2,,TESTAPP.mot");
        Line(m_vecPresent[5], "10.62.1.16", "SN-06,Panel B3,,");
        Line(ABSENT, "10.62.1.40", "SN-FF,not delivered yet,,");
        Line(m_vecPresent[6], strCollidingIp, "SN-07,Panel C1,,");
        for (size_t i = 7; i < m_vecPresent.size(); ++i) {
            Line(m_vecPresent[i], "10.62.1." + std::to_string(11 + i),
                 "SN-" + std::to_string(i + 1) + ",,,");
        }
        fs::path path = m_dir / "plant" / "manifest.csv";
        WriteFile(path, strCsv);
        return path;
    }

    // The request codes each present node received since the last clear.
    std::map<std::string, std::set<std::string>> HistoryCodes() {
        std::map<std::string, std::set<std::string>> map;
        for (const std::string& strMac : m_vecPresent) {
            std::istringstream in(m_control.Request("HISTORY " + strMac));
            for (std::string strLine; std::getline(in, strLine);) {
                if (strLine != "OK" && !strLine.empty()) {
                    map[strMac].insert(strLine.substr(0, 4));
                }
            }
        }
        return map;
    }
    void ClearHistory() {
        for (const std::string& strMac : m_vecPresent) {
            ASSERT_NE(m_control.Request("HISTORY " + strMac + " CLEAR").find("OK"),
                      std::string::npos);
            ASSERT_NE(m_control.Request("FTPLOG " + strMac + " CLEAR").find("OK"),
                      std::string::npos);
        }
    }

    // The record, line by line in the file and in the output, against what
    // each node holds.
    void ExpectRecordAsTheNodesAre(const fs::path& report, const fs::path& manifest,
                                   const CJsonValue& jsonNodes) {
        std::vector<std::vector<std::string>> vecCsv = ParseCsv(ReadFile(report));
        ASSERT_EQ(vecCsv.size(), 21u);
        ASSERT_EQ(jsonNodes.Size(), 20u);
        std::map<std::string, size_t> mapColumn;
        for (size_t c = 0; c < vecCsv[0].size(); ++c) {
            mapColumn[vecCsv[0][c]] = c;
        }
        std::vector<std::vector<std::string>> vecManifest = ParseCsv(ReadFile(manifest));
        for (size_t nRow = 1; nRow < vecCsv.size(); ++nRow) {
            const std::vector<std::string>& row = vecCsv[nRow];
            auto Cell = [&](const char* pszColumn) { return row.at(mapColumn.at(pszColumn)); };
            const std::string strMac = Cell("mac");
            EXPECT_EQ(strMac, vecManifest[nRow][0]);
            const CJsonValue& json = jsonNodes[nRow - 1];
            EXPECT_EQ(json["mac"].Str(), strMac);
            EXPECT_EQ(json["outcome"].Str(), Cell("outcome")) << strMac;
            EXPECT_EQ(json["readBack"]["ip"].Str(), Cell("own_ip")) << strMac;
            EXPECT_EQ(json["readBack"]["boot"].Str(), Cell("boot")) << strMac;
            EXPECT_EQ(json["time"].Str(), Cell("time")) << strMac;
            EXPECT_EQ(Cell("line"), std::to_string(nRow + 1));
            EXPECT_EQ(Cell("ip"), vecManifest[nRow][1]);
            EXPECT_EQ(Cell("remarks"), vecManifest[nRow][3]);
            EXPECT_FALSE(Cell("time").empty()) << strMac;
            if (strMac == ABSENT) {
                EXPECT_EQ(Cell("outcome"), "failed");
                EXPECT_EQ(Cell("changed"), "registered");
                EXPECT_EQ(Cell("found_ip"), "");
                continue;
            }
            SNodeState state = ReadState(m_control, strMac);
            std::map<std::string, std::string> fields = ParamFields(state.mapLines["param"]);
            EXPECT_EQ(Cell("outcome"), "ok") << strMac << ": " << Cell("detail");
            EXPECT_EQ(Cell("own_ip"), state.mapLines["ip"]) << strMac;
            EXPECT_EQ(state.mapLines["ip"], Cell("ip")) << strMac;
            EXPECT_EQ(state.mapLines["mode"], "0") << strMac;
            EXPECT_EQ(fields["dwSubnetMask"], "255.255.0.0") << strMac;
            EXPECT_EQ(fields["dwGateway"], "10.62.255.254") << strMac;
            EXPECT_EQ(Cell("boot"), state.mapLines["boot"]) << strMac;
            EXPECT_EQ(Cell("kernel"), "2.10") << strMac;
            const std::string strParams = vecManifest[nRow][4];
            EXPECT_EQ(fields["wMtu"],
                      strParams == "p1.ini" || strMac == m_vecPresent[17] ? "1400" : "")
                << strMac;
            EXPECT_EQ(fields["wIdleTimer"], strParams == "p2.ini" ? "300" : "") << strMac;
            // On top of its own parameters a node keeps its account.
            const bool bImage = !vecManifest[nRow][5].empty();
            EXPECT_EQ(fields["szUserName"], strParams == "p3.ini" ? "\"ops\""
                                            : bImage              ? "\"admin\""
                                                                  : "")
                << strMac;
            bool bHasApp = false;
            for (const std::string& strFile : state.vecFiles) {
                bHasApp = bHasApp || (strFile.rfind("app ", 0) == 0 &&
                                      strFile.find(" 1.02") != std::string::npos);
            }
            EXPECT_EQ(bHasApp, bImage) << strMac;
            EXPECT_EQ(Cell("changed"), bImage ? "registered;settings;image" : "registered;settings")
                << strMac;
            EXPECT_EQ(Cell("apps").find("1.02") != std::string::npos, bImage) << strMac;
        }
    }

    // After two runs the log holds node 04's (an image, no parameter file)
    // addition, settings, image and both commissionings; never an account.
    void ExpectTheLogOfTwoRuns() {
        std::string strLog = ReadFile(m_log);
        EXPECT_EQ(strLog.find(IMAGE_PASSWORD), std::string::npos);
        EXPECT_EQ(strLog.find(PARAM_PASSWORD), std::string::npos);
        SCtl ctl = Ctl({"log", "--node", m_vecPresent[3]});
        std::vector<std::string> vecOps;
        for (const CJsonValue& entry : ctl.json["result"]["entries"].Items()) {
            vecOps.push_back(entry["operation"].Str() + " " + entry["outcome"].Str());
        }
        EXPECT_EQ(vecOps, (std::vector<std::string>{"node-add ok", "settings ok", "download-app ok",
                                                    "commission ok", "commission ok"}))
            << Why(ctl);
    }

    // Every present node ok, nothing sent that changes a node.
    void ExpectASecondRunChangesNothing(const fs::path& manifest,
                                        const std::vector<std::string>& vecOptions) {
        ClearHistory();
        std::vector<std::string> vecArgs = {"commission", manifest.string()};
        vecArgs.insert(vecArgs.end(), vecOptions.begin(), vecOptions.end());
        SCtl ctl = Ctl(vecArgs);
        EXPECT_EQ(ctl.run.nExit, 3) << Why(ctl);
        EXPECT_EQ(ctl.json["result"]["counts"]["ok"].Int(), 19) << Why(ctl);
        for (const CJsonValue& node : ctl.json["result"]["nodes"].Items()) {
            if (node["mac"].Str() != ABSENT) {
                EXPECT_EQ(node["outcome"].Str(), "ok") << node["mac"].Str();
                EXPECT_EQ(node["changed"].Size(), 0u) << node["mac"].Str();
            }
        }
        const std::set<std::string> setLooking = {"0101", "0103", "0108"};
        std::map<std::string, std::set<std::string>> mapCodes = HistoryCodes();
        for (const std::string& strMac : m_vecPresent) {
            std::set<std::string> setOther;
            for (const std::string& strCode : mapCodes[strMac]) {
                if (setLooking.count(strCode) == 0) {
                    setOther.insert(strCode);
                }
            }
            EXPECT_TRUE(setOther.empty()) << strMac << " received " << *setOther.begin();
            EXPECT_EQ(mapCodes[strMac].count("0103"), 1u) << strMac; // it was read back
            EXPECT_EQ(m_control.Request("FTPLOG " + strMac), "OK\n") << strMac;
        }
    }

    fs::path m_log;
    std::vector<std::string> m_vecPresent; // the simulator's nineteen nodes
};
} // namespace

TEST_F(CtlCommission, ACheckedManifestCommissionsThePlantAndASecondRunChangesNothing) {
    RegisterPlant();
    const char* pszPc = std::getenv("MRVT_PC_IP");
    ASSERT_NE(pszPc, nullptr);

    // The check names the one line on the PC's own address and sends nothing.
    fs::path manifest = WriteManifest(pszPc);
    SCtl ctl = Ctl({"commission", manifest.string(), "--check"});
    EXPECT_EQ(ctl.run.nExit, 2) << Why(ctl);
    ASSERT_EQ(ctl.json["result"]["problems"].Size(), 1u) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["problems"][0]["line"].Int(), 9);
    EXPECT_EQ(ctl.json["result"]["problems"][0]["text"].Str(),
              std::string(pszPc) + " is an address of this PC");
    EXPECT_NE(
        ctl.run.strErr.find("manifest.csv:9: " + std::string(pszPc) + " is an address of this PC"),
        std::string::npos)
        << Why(ctl);
    EXPECT_TRUE(HistoryCodes().empty());
    // Without --check the same manifest is refused before anything is sent.
    ctl = Ctl({"commission", manifest.string()});
    EXPECT_EQ(ctl.run.nExit, 2) << Why(ctl);
    EXPECT_TRUE(HistoryCodes().empty());

    manifest = WriteManifest("10.62.1.17");
    ctl = Ctl({"commission", manifest.string(), "--check"});
    ASSERT_EQ(ctl.run.nExit, 0) << Why(ctl);

    // The run: every present node as the manifest says, the absent one reported.
    const fs::path report = m_dir / "as-built.csv";
    ctl = Ctl({"commission", manifest.string(), "--report", report.string()});
    EXPECT_EQ(ctl.run.nExit, 3) << Why(ctl);
    EXPECT_NE(ctl.run.strErr.find("node " + ABSENT + " (line 8) did not answer the search"),
              std::string::npos)
        << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["counts"]["ok"].Int(), 19) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["counts"]["failed"].Int(), 1) << Why(ctl);

    ExpectRecordAsTheNodesAre(report, manifest, ctl.json["result"]["nodes"]);
    // The registry holds the plant: serial numbers and remarks of the manifest.
    ctl = Ctl({"nodes", "list"});
    ASSERT_EQ(ctl.json["result"]["nodes"].Size(), 20u) << Why(ctl);
    for (const CJsonValue& node : ctl.json["result"]["nodes"].Items()) {
        if (node["mac"].Str() == m_vecPresent[2]) {
            EXPECT_EQ(node["serial"].Str(), "SN-03");
            EXPECT_EQ(node["remarks"].Str(), "Panel A3, rear");
            EXPECT_EQ(node["ip"].Str(), "10.62.1.13");
        }
    }

    // Again: every present node ok, nothing sent that changes a node.
    ExpectASecondRunChangesNothing(manifest, {});

    ExpectTheLogOfTwoRuns();
}

// The images loaded by a rollout, two nodes at once: the same plant, the
// same record, and again nothing changed by a second run.
TEST_F(CtlCommission, WithParallelTheImagesGoInByARollout) {
    RegisterPlant();
    const fs::path manifest = WriteManifest("10.62.1.17");
    const fs::path report = m_dir / "as-built.csv";
    SCtl ctl =
        Ctl({"commission", manifest.string(), "--report", report.string(), "--parallel", "2"});
    EXPECT_EQ(ctl.run.nExit, 3) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["counts"]["ok"].Int(), 19) << Why(ctl);
    ExpectRecordAsTheNodesAre(report, manifest, ctl.json["result"]["nodes"]);
    // One rollout said its end as the batch does; no single-node download ran.
    std::vector<std::string> vecTexts;
    for (const CJsonValue& message : ctl.json["messages"].Items()) {
        vecTexts.push_back(message["text"].Str());
    }
    EXPECT_EQ(
        std::count(vecTexts.begin(), vecTexts.end(), "全てのﾉｰﾄﾞへのﾀﾞｳﾝﾛｰﾄﾞが正常に終了しました｡"),
        1)
        << Why(ctl);
    EXPECT_EQ(std::count(vecTexts.begin(), vecTexts.end(), "ﾀﾞｳﾝﾛｰﾄﾞ処理が終了しました"), 0);
    ExpectASecondRunChangesNothing(manifest, {"--parallel", "2"});
    ExpectTheLogOfTwoRuns();
}

TEST_F(CtlCommission, MrvctlLogsOneLinePerChangeAndNeverAnAccount) {
    RegisterPlant();
    WriteFile(m_dir / "TESTAPP.mot", APP_IMAGE);
    const std::vector<std::vector<std::string>> vecSteps = {
        {"nodes", "add", ABSENT, "--serial", "SN-FF"},
        {"nodes", "set", ABSENT, "--remarks", "spare"},
        {"nodes", "set", ABSENT, "--ip", "10.62.1.99"},
        {"search"},
        {"autoset", "--base", "10.62.1.100", "--on-silence", "continue"},
        {"set-params", m_vecPresent[2], "--set", "Passw=" + PARAM_PASSWORD},
        {"mode", m_vecPresent[1], "7"},
        {"mode", m_vecPresent[1], "0"},
        {"download", "app", (m_dir / "TESTAPP.mot").string(), m_vecPresent[3]},
        {"init", m_vecPresent[5], "--yes"},
        {"nodes", "delete", ABSENT},
        {"networks", "add", "SPARE"},
        {"networks", "delete", "SPARE", "--yes"},
    };
    for (const std::vector<std::string>& vecStep : vecSteps) {
        SCtl ctl = Ctl(vecStep);
        ASSERT_EQ(ctl.run.nExit, 0) << vecStep[0] << " " << Why(ctl);
        if (vecStep[0] == "mode") { // the node restarts into its new mode
            ASSERT_NE(m_control.Request("WAIT " + vecStep[1] + " run=up timeout=5000").find("OK"),
                      std::string::npos);
        }
    }
    // Listings, reads and a search that finds nothing new change nothing.
    for (const std::vector<std::string>& vecStep :
         std::vector<std::vector<std::string>>{{"nodes", "list"},
                                               {"get-params", m_vecPresent[0]},
                                               {"version", m_vecPresent[0]},
                                               {"search"}}) {
        ASSERT_EQ(Ctl(vecStep).run.nExit, 0) << vecStep[0];
    }
    std::map<std::string, int> mapCount;
    SCtl ctl = Ctl({"log"});
    for (const CJsonValue& entry : ctl.json["result"]["entries"].Items()) {
        EXPECT_EQ(entry["program"].Str(), "mrvctl");
        EXPECT_EQ(entry["outcome"].Str(), "ok") << entry["operation"].Str();
        ++mapCount[entry["operation"].Str()];
    }
    // Fifteen nodes had no address; four had one of an earlier plan.
    EXPECT_EQ(mapCount, (std::map<std::string, int>{{"network-add", 2},
                                                    {"node-add", 1},
                                                    {"node-edit", 1},
                                                    {"node-address", 1},
                                                    {"search-add", 19},
                                                    {"autoset", 15},
                                                    {"settings", 1},
                                                    {"mode", 2},
                                                    {"download-app", 1},
                                                    {"init", 1},
                                                    {"node-delete", 1},
                                                    {"network-delete", 1}}));
    const std::string strLog = ReadFile(m_log);
    EXPECT_EQ(strLog.find(PARAM_PASSWORD), std::string::npos);
    EXPECT_EQ(strLog.find(IMAGE_PASSWORD), std::string::npos);
    EXPECT_EQ(strLog.find("admin"), std::string::npos);
    // Filtered by node and time.
    ctl = Ctl({"log", "--node", m_vecPresent[1], "--since", "10m"});
    ASSERT_EQ(ctl.json["result"]["entries"].Size(), 3u) << Why(ctl);
    EXPECT_EQ(ctl.json["result"]["entries"][1]["message"].Str(), "ｾｯﾄｱｯﾌﾟ");
    EXPECT_EQ(Ctl({"log", "--since", "2999-01-01"}).json["result"]["entries"].Size(), 0u);
}

// A log folder made read-only, or on a full disk, in a mount namespace of
// the command's own: the change is made all the same and said once.
TEST_F(CtlCommission, ALogThatCannotBeWrittenNeverStopsAChange) {
    RegisterPlant();
    const fs::path logDir = m_log.parent_path();
    ASSERT_TRUE(fs::exists(logDir));
    struct SCase {
        const char* pszName;
        std::string strMount;
        const char* pszReason;
    };
    const std::string strDir = logDir.string();
    for (const SCase& c : std::vector<SCase>{
             {"read-only", "mount --bind \"$D\" \"$D\" && mount -o remount,bind,ro \"$D\"",
              "Read-only file system"},
             {"full",
              "mount -t tmpfs -o size=8k tmpfs \"$D\" && "
              "{ dd if=/dev/zero of=\"$D/fill\" bs=1k count=64 2>/dev/null; true; }",
              "No space left on device"},
         }) {
        SProgramRun run =
            RunProgram({"/usr/bin/unshare", "--mount", "--propagation", "private", "/bin/sh", "-c",
                        "D=\"$1\"; shift; " + c.strMount + " && exec \"$@\"", "sh", strDir,
                        CtlPath(), "--json", "search"},
                       Env(), m_dir.string());
        ASSERT_EQ(run.nExit, 0) << c.pszName << "\n" << run.strOut << run.strErr;
        CJsonValue json = CJsonValue::Parse(run.strOut);
        // Nineteen nodes added, one notice.
        EXPECT_EQ(json["result"]["nodes"].Size(), 19u) << c.pszName;
        ASSERT_EQ(json["messages"].Size(), 1u) << c.pszName << run.strOut;
        EXPECT_EQ(json["messages"][0]["exit"].Int(), 0);
        EXPECT_EQ(json["messages"][0]["text"].Str(), "操作履歴に書き込めません(" + m_log.string() +
                                                         ": " + c.pszReason +
                                                         ")。操作は続行します。")
            << c.pszName;
        // The registry has them; the next command starts from there.
        SCtl ctl = Ctl({"nodes", "list"});
        EXPECT_EQ(ctl.json["result"]["nodes"].Size(), 19u) << c.pszName;
        ASSERT_EQ(Ctl({"nodes", "delete", "1"}).run.nExit, 0);
        for (int i = 0; i < 18; ++i) {
            Ctl({"nodes", "delete", "1"});
        }
    }
    // Outside those namespaces the log was never touched by the failed runs.
    EXPECT_EQ(ReadFile(m_log).find("search-add"), std::string::npos);
}
