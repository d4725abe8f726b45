// The operation log: its lines, its file (appends, rotation, several writers,
// a place it cannot write), and the lines the window's commands leave in it.
#include "doc/OperationLog.h"
#include "DocFixture.h"
#include "NodeResponder.h"
#include "ScratchDir.h"
#include "ScriptedUi.h"
#include "SearchReplies.h"
#include "app/CommandTable.h"
#include "ops/NodeCommandDlgs.h"
#include "params/ParamControls.h"
#include "params/ParamFile.h"
#include "platform/IpText.h"
#include "platform/RotatingLog.h"
#include "registry/RegistryControls.h"
#include "res/Texts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// TZ set for one test, the earlier one back after.
class CTimeZone {
public:
    explicit CTimeZone(const char* pszZone) {
        const char* pszOld = std::getenv("TZ");
        m_bHad = pszOld != nullptr;
        m_strOld = m_bHad ? pszOld : "";
        ::setenv("TZ", pszZone, 1);
        ::tzset();
    }
    ~CTimeZone() {
        m_bHad ? ::setenv("TZ", m_strOld.c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool m_bHad = false;
    std::string m_strOld;
};

SOperationEntry Entry(std::string strMac, std::string strMessage) {
    SOperationEntry entry;
    entry.strTime = "2025-03-01T09:30:00+09:00";
    entry.strProgram = "mrvctl";
    entry.strUser = "op";
    entry.strNetwork = "PLANT";
    entry.strMac = std::move(strMac);
    entry.strIp = "192.168.1.10";
    entry.strOperation = OPLOG_MODE;
    entry.strOutcome = OPLOG_OK;
    entry.strMessage = std::move(strMessage);
    return entry;
}
} // namespace

TEST(OperationLogLine, IsOneJsonObjectOnOneLineAndReadsBackAsItWasWritten) {
    EXPECT_EQ(FormatOperationLine(Entry("0080D4500001", "ｾｯﾄｱｯﾌﾟ")),
              "{\"time\":\"2025-03-01T09:30:00+09:00\",\"program\":\"mrvctl\",\"user\":\"op\","
              "\"network\":\"PLANT\",\"mac\":\"0080D4500001\",\"ip\":\"192.168.1.10\","
              "\"operation\":\"mode\",\"outcome\":\"ok\",\"message\":\"ｾｯﾄｱｯﾌﾟ\"}\n");
    // Texts of every kind stay on their one line and come back whole.
    for (const std::string& strText :
         {std::string("quote \" and \\ backslash"), std::string("two\r\nlines\ttab"),
          std::string("\x1b]0;title\x07"), std::string("備考 ﾒﾓ 😀")}) {
        std::string strLine = FormatOperationLine(Entry("0080D4500001", strText));
        EXPECT_EQ(strLine.find('\n'), strLine.size() - 1) << strText;
        EXPECT_EQ(strLine.find('\x1b'), std::string::npos);
        SOperationEntry back;
        ASSERT_TRUE(ParseOperationLine(strLine.substr(0, strLine.size() - 1), back)) << strLine;
        EXPECT_EQ(back.strMessage, strText);
        EXPECT_EQ(back.strMac, "0080D4500001");
        EXPECT_EQ(back.nTime, 1740789000);
    }
    // Bytes that are no UTF-8 are replaced, never written raw.
    SOperationEntry back;
    ASSERT_TRUE(ParseOperationLine(FormatOperationLine(Entry("", "a\xff"
                                                                 "b")),
                                   back));
    EXPECT_EQ(back.strMessage, "a\xEF\xBF\xBD"
                               "b");
    // Torn, foreign or empty lines are none.
    for (const char* psz :
         {"", "{\"time\":\"2025-03-01T09:30:00Z\",\"operation\":\"mo", "not json",
          "{\"time\":\"soon\",\"operation\":\"mode\"}", "{\"time\":\"2025-03-01T09:30:00Z\"}"}) {
        EXPECT_FALSE(ParseOperationLine(psz, back)) << psz;
    }
    // Keys of a later version are passed over.
    EXPECT_TRUE(ParseOperationLine(
        "{\"time\":\"2025-03-01T00:30:00Z\",\"pid\":42,\"operation\":\"init\"}", back));
    EXPECT_EQ(back.strOperation, "init");
}

TEST(OperationLogLine, TimesReadInEveryFormTheLogAndSinceTake) {
    CTimeZone zone("JST-9");
    const int64_t nAt = 1740789000; // 2025-03-01 00:30:00 UTC
    struct SCase {
        const char* pszText;
        bool bOk;
        int64_t nTime;
    };
    for (const SCase& c : std::vector<SCase>{
             {"2025-03-01T09:30:00+09:00", true, nAt},
             {"2025-03-01T09:30:00+0900", true, nAt},
             {"2025-03-01T00:30:00Z", true, nAt},
             {"2025-03-01 09:30:00", true, nAt}, // local
             {"2025-03-01T09:30", true, nAt},
             {"2025-03-01", true, nAt - 9 * 3600 - 30 * 60},
             {"2025-02-28T19:30:00-05:00", true, nAt},
             {"2025-13-01", false, 0},
             {"2025-03-01T25:00", false, 0},
             {"2025-03-01T09:30:00+9", false, 0},
             {"yesterday", false, 0},
             {"2025-03-01T09:30:00Zx", false, 0},
         }) {
        int64_t nTime = 0;
        EXPECT_EQ(ParseLogTime(c.pszText, nTime), c.bOk) << c.pszText;
        if (c.bOk) {
            EXPECT_EQ(nTime, c.nTime) << c.pszText;
        }
    }
    EXPECT_EQ(FormatLogTime(nAt), "2025-03-01T09:30:00+09:00");
}

TEST(RotatingLogFile, RotatesAtItsSizeKeepingTheNewestFilesAndWholeLines) {
    CScratchDir dir;
    const std::string strPath = dir.File("log/operations.log");
    CRotatingLog log(strPath, 200, 2);
    for (int i = 0; i < 20; ++i) {
        char sz[64];
        std::snprintf(sz, sizeof sz, "line %02d ........................................\n", i);
        ASSERT_EQ(log.Append(sz), 0) << i;
    }
    // Four lines a file: the three newest files hold lines 8 to 19.
    EXPECT_TRUE(CScratchDir::Exists(strPath + ".1"));
    EXPECT_TRUE(CScratchDir::Exists(strPath + ".2"));
    EXPECT_FALSE(CScratchDir::Exists(strPath + ".3"));
    std::vector<std::string> vecLines = ReadLogLines(strPath, 2);
    ASSERT_EQ(vecLines.size(), 12u);
    for (size_t i = 0; i < vecLines.size(); ++i) {
        char sz[16];
        std::snprintf(sz, sizeof sz, "line %02d", static_cast<int>(8 + i));
        EXPECT_EQ(vecLines[i].substr(0, 7), sz) << i;
    }
    struct stat st {};
    ASSERT_EQ(::stat(strPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(dir.File("log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(RotatingLogFile, WritersAtOnceLoseNoLineAndTearNone) {
    CScratchDir dir;
    const std::string strPath = dir.File("operations.log");
    constexpr int WRITERS = 4;
    constexpr int LINES = 250;
    std::vector<pid_t> vecPids;
    for (int w = 0; w < WRITERS; ++w) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Small files: the writers rotate each other's files all the time.
            CRotatingLog log(strPath, 4096, 100);
            for (int i = 0; i < LINES; ++i) {
                int nErr = log.Append(FormatOperationLine(
                    Entry(std::to_string(w),
                          std::string(static_cast<size_t>(i % 50), 'x') + std::to_string(i))));
                if (nErr != 0) {
                    ::_exit(nErr);
                }
            }
            ::_exit(0);
        }
        vecPids.push_back(pid);
    }
    for (pid_t pid : vecPids) {
        int nStatus = 0;
        ASSERT_EQ(::waitpid(pid, &nStatus, 0), pid);
        EXPECT_TRUE(WIFEXITED(nStatus));
        EXPECT_EQ(WEXITSTATUS(nStatus), 0) << "the errno of a failed append";
    }
    std::map<std::string, int> mapNext;
    size_t nLines = 0;
    for (const std::string& strLine : ReadLogLines(strPath, 100)) {
        SOperationEntry entry;
        ASSERT_TRUE(ParseOperationLine(strLine, entry)) << strLine;
        // Each writer's lines whole and in its own order.
        int& nNext = mapNext[entry.strMac];
        EXPECT_EQ(entry.strMessage.substr(entry.strMessage.find_first_not_of('x')),
                  std::to_string(nNext));
        ++nNext;
        ++nLines;
    }
    EXPECT_EQ(nLines, static_cast<size_t>(WRITERS * LINES));
    EXPECT_TRUE(CScratchDir::Exists(strPath + ".1"));
}

TEST(RotatingLogFile, APlaceItCannotWriteIsAnErrorNeverALinkFollowed) {
    CScratchDir dir;
    // A file where its folder should be.
    CScratchDir::Write(dir.File("file"), "x");
    CRotatingLog blocked(dir.File("file/operations.log"), 1024, 1);
    EXPECT_EQ(blocked.Append("line\n"), ENOTDIR);
    // A link planted at its name.
    CScratchDir::Write(dir.File("target"), "kept");
    ASSERT_EQ(::symlink(dir.File("target").c_str(), dir.File("linked.log").c_str()), 0);
    CRotatingLog linked(dir.File("linked.log"), 1024, 1);
    EXPECT_EQ(linked.Append("line\n"), ELOOP);
    EXPECT_EQ(CScratchDir::Read(dir.File("target")), "kept");
    // Once the place is there again, the next line goes in.
    ::unlink(dir.File("file").c_str());
    EXPECT_EQ(blocked.Append("line\n"), 0);
    EXPECT_EQ(CScratchDir::Read(dir.File("file/operations.log")), "line\n");
}

namespace {
// The document with a log, as a front end gives it one.
class OperationLogDoc : public CDocFixture {
protected:
    void SetUp() override {
        m_pLog = std::make_unique<COperationLog>("mrvmgr", m_strLogPath);
        auto pSocket = std::make_unique<CMemoryDatagramSocket>();
        m_pSocket = pSocket.get();
        SDocEnv env{m_ui, m_pump, m_clock, m_settings, m_defParam, "", true, &m_stop};
        env.pLog = m_pLog.get();
        m_pDoc = std::make_unique<COrvixDoc>(env, std::move(pSocket));
        m_paramFile.m_strPath = m_dir.File("DefParam.ini");
        m_paramFile.LoadParams(); // none there: the built-in defaults
    }
    std::vector<SOperationEntry> Entries() { return ReadOperationLog(m_strLogPath); }
    void RunCommand(int nId, int nSelected) {
        SCommandContext ctx{*m_pDoc, m_paramFile, nSelected};
        FindCommand(nId)->fnHandler(ctx);
    }

    CScratchDir m_dir;
    std::string m_strLogPath = m_dir.File("cfg/operations.log");
    std::unique_ptr<COperationLog> m_pLog;
    CParamFile m_paramFile;
};
} // namespace

TEST_F(OperationLogDoc, TheWindowsCommandsLeaveOneLinePerChange) {
    CNodeResponder nodes(*m_pSocket);
    // The search finds a new node and the registered one on a new address.
    for (int i = 0; i < 16; ++i) {
        char sz[16];
        std::snprintf(sz, sizeof sz, "0000%02X00000F", i);
        nodes.SetResult(sz, CNodeResponder::SILENT);
    }
    nodes.OnRequest([this](const CMemoryDatagramSocket::SDatagram& dg) {
        if (dg.vecData[2] == 0x01 && dg.vecData[3] == 0x01 && dg.vecData[6] == 0x00) {
            m_pSocket->Inject(SearchReply(1), "192.168.1.21", 65533);
            m_pSocket->Inject(SearchReply(2), "192.168.1.22", 65533);
        }
    });
    m_ui.ExpectDialog("CNetworkDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_NET_NAME, "PLANT");
        return Press(dlg, ui, DIALOG_OK);
    });
    RunCommand(ID_NETWORK_NEW, -1);
    m_ui.ExpectDialog("CNodeDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_NODE_MAC, NodeMac(1));
        return Press(dlg, ui, DIALOG_OK);
    });
    RunCommand(ID_NODE_NEW, -1);
    m_ui.ExpectDialog("CNodeDlg", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_NODE_REMARKS, "panel 3");
        return Press(dlg, ui, DIALOG_OK);
    });
    RunCommand(ID_NODE_PROPERTIES, 0);
    RunCommand(ID_NODE_SEARCH, -1);
    // Looking changes nothing: no line.
    m_ui.ExpectDialog("CGetParamDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    m_ui.ExpectDialog("CParamEditor",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_CANCEL); });
    RunCommand(ID_NODE_GET, 1);
    m_ui.ExpectDialog("CParamEditor", [](CDialogModel& dlg, CUi& ui) {
        Type(dlg, ui, IDC_PED_OWN_IP, "192.168.1.30");
        Type(dlg, ui, IDC_PED_PASSWORD, "s3cret");
        return Press(dlg, ui, IDC_PED_SEND);
    });
    RunCommand(ID_NODE_SET, 1);
    m_ui.ExpectDialog("CModeChangeDlg", [](CDialogModel& dlg, CUi& ui) {
        Select(dlg, ui, IDC_MODE_GROUP, 4); // setup
        return Press(dlg, ui, DIALOG_OK);
    });
    RunCommand(ID_NODE_CHANGE_MODE, 1);
    nodes.SetResult(NodeMac(2), CNodeResponder::SILENT);
    m_ui.ExpectDialog("CInitializeDlg",
                      [](CDialogModel& dlg, CUi& ui) { return Press(dlg, ui, DIALOG_OK); });
    m_ui.ExpectMessage(TXT_NO_RESPONSE);
    RunCommand(ID_INIT_NODE, 1);
    RunCommand(ID_NODE_DELETE, 0);
    m_ui.ExpectMessage(TXT_NETWORK_DELETE_QUESTION, EMsgAnswer::Yes);
    RunCommand(ID_NETWORK_DELETE, -1);

    std::vector<SOperationEntry> vecEntries = Entries();
    std::vector<std::string> vecSeen;
    for (const SOperationEntry& entry : vecEntries) {
        EXPECT_EQ(entry.strProgram, "mrvmgr");
        EXPECT_EQ(entry.strNetwork, "PLANT");
        vecSeen.push_back(entry.strOperation + " " + entry.strMac + " " + entry.strIp + " " +
                          entry.strOutcome + " " + entry.strMessage);
    }
    EXPECT_EQ(vecSeen,
              (std::vector<std::string>{
                  "network-add   ok ",
                  "node-add 0080C8000001 192.168.200.254 ok ",
                  "node-edit 0080C8000001 192.168.200.254 ok 備考",
                  "search-address 0080C8000001 192.168.1.21 ok 192.168.200.254 -> 192.168.1.21",
                  "search-add 0080C8000002 192.168.1.22 ok ",
                  "settings 0080C8000002 192.168.1.30 ok ",
                  "mode 0080C8000002 192.168.1.30 ok ｾｯﾄｱｯﾌﾟ",
                  "init 0080C8000002 192.168.1.30 failed MRV-620から応答がありません",
                  "node-delete 0080C8000001 192.168.1.21 ok ",
                  "network-delete   ok ",
              }));
    EXPECT_EQ(CScratchDir::Read(m_strLogPath).find("s3cret"), std::string::npos);
}

TEST_F(OperationLogDoc, AnUnwritableLogIsSaidOnceAndChangesNothingElse) {
    m_pDoc->AddNetwork("PLANT", 0xFFFFFF00u, 0xC0A80101u);
    CScratchDir::Write(m_dir.File("cfg"), "a file where the folder should be");
    for (int i = 0; i < 3; ++i) {
        m_ui.ExpectDialog("CNodeDlg", [i](CDialogModel& dlg, CUi& ui) {
            Type(dlg, ui, IDC_NODE_MAC, NodeMac(static_cast<uint32_t>(i)));
            return Press(dlg, ui, DIALOG_OK);
        });
        SCommandContext ctx{*m_pDoc, m_paramFile, -1};
        FindCommand(ID_NODE_NEW)->fnHandler(ctx);
    }
    EXPECT_EQ(m_pDoc->m_pCurNet->m_arrNodes.size(), 3u);
    ASSERT_EQ(m_ui.m_vecNotices.size(), 1u);
    EXPECT_EQ(m_ui.m_vecNotices[0], "操作履歴に書き込めません(" + m_strLogPath +
                                        ": Not a directory)。操作は続行します。");
}

TEST_F(OperationLogDoc, TheNodesFtpAccountNeverReachesTheLog) {
    m_pDoc->AddNetwork("PLANT", 0xFFFFFF00u, 0xC0A80101u);
    m_pDoc->GetSocket().m_strFtpUser = "plantop";
    m_pDoc->GetSocket().m_strFtpPassword = "Pw-4711";
    m_pDoc->LogOperation(OPLOG_DOWNLOAD_APP, "0080C8000001", 0xC0A8010Au, OPLOG_FAILED,
                         "530 Login incorrect for plantop with Pw-4711.");
    std::vector<SOperationEntry> vecEntries = Entries();
    ASSERT_EQ(vecEntries.size(), 1u);
    EXPECT_EQ(vecEntries[0].strMessage, "530 Login incorrect for **** with ****.");
}
