// Puts side by side on the real pump and clock: the connection checks through
// libcurl's multi interface against loopback servers, the fake client awaited
// on its process descriptor, each in its own folder; the outcomes and texts
// the one-node put has, the time limit, nothing left behind.
#include "doc/FtpPuts.h"
#include "FakeFtpClient.h"
#include "LoopbackFtpServer.h"
#include "ScratchDir.h"
#include "platform/Clock.h"
#include "platform/FtpCheckSet.h"
#include "platform/PollMessagePump.h"
#include "platform/TimerQueue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>

namespace {
const char SECRET[] = "s3cr3t-pw";
const std::string IMAGE = "S00600004844521B\nS107000001020304EE\nS9030000FC\n";

class FtpPuts : public ::testing::Test {
protected:
    void SetUp() override {
        const char* pszOld = std::getenv("TMPDIR");
        m_bHadTmp = pszOld != nullptr;
        m_strOldTmp = m_bHadTmp ? pszOld : "";
        std::string strTmp = m_tmp.Dir();
        if (!strTmp.empty() && strTmp.back() == '/') {
            strTmp.pop_back();
        }
        setenv("TMPDIR", strTmp.c_str(), 1);
        m_servers.push_back(std::make_unique<CLoopbackFtpServer>("admin", SECRET));
        const uint16_t wPort = m_servers[0]->Port();
        m_servers.push_back(
            std::make_unique<CLoopbackFtpServer>("admin", SECRET, "127.0.0.2", wPort));
        m_env.strClient = m_fake.Program();
        m_env.wCheckPort = wPort;
        m_strImage = m_files.File("APP.mot");
        CScratchDir::Write(m_strImage, IMAGE);
    }
    void TearDown() override {
        if (m_bHadTmp) {
            setenv("TMPDIR", m_strOldTmp.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

    SFtpPutOrder Order(const std::string& strHost, const std::string& strPassword = SECRET) {
        return {strHost, m_strImage, "admin", strPassword};
    }
    // Runs the pump and the timers until every put told its end.
    void RunUntilDone(CFtpPuts& puts) {
        for (int n = 0; puts.Count() > 0 && n < 2000; ++n) {
            m_pump.WaitForMessages(m_timers.MsUntilNext(50));
            m_timers.RunDue();
        }
        m_pump.PumpPendingMessages();
    }
    size_t FoldersLeft() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(m_tmp.Dir())) {
            ++n;
        }
        return n;
    }

    CScratchDir m_tmp;
    CScratchDir m_files;
    CFakeFtpClient m_fake{SECRET};
    std::vector<std::unique_ptr<CLoopbackFtpServer>> m_servers;
    CSystemClock m_clock;
    CPollMessagePump m_pump;
    CTimerQueue m_timers{m_clock};
    SFtpRunEnv m_env;
    std::string m_strImage;
    bool m_bHadTmp = false;
    std::string m_strOldTmp;
};
} // namespace

TEST_F(FtpPuts, SeveralAtOnceEachWithTheOutcomeAndWordsOfTheOneNodePut) {
    m_fake.SetPutReply("550 APP.mot: Permission denied.\n", "127.0.0.2");
    std::unique_ptr<CFtpPuts> pPuts = MakeFtpPuts(m_pump, m_timers, m_env);
    std::map<std::string, SFtpPutOutcome> mapOutcome;
    bool bInStart = false;
    for (const SFtpPutOrder& order :
         {Order("127.0.0.1"), Order("127.0.0.2"), Order("127.0.0.3"), Order("127.0.0.1", "wrong"),
          SFtpPutOrder{"127.0.0.1", m_strImage, "adm\nin", SECRET},
          SFtpPutOrder{"127.0.0.1", "/x/\"q\".mot", "admin", SECRET}}) {
        bInStart = true;
        pPuts->Start(order, [&, order](const SFtpPutOutcome& outcome) {
            EXPECT_FALSE(bInStart) << "told from the pump, never from inside Start";
            mapOutcome[order.strHost + " " + order.strUser + " " + order.strPassword + " " +
                       order.strLocalPath] = outcome;
        });
        bInStart = false;
    }
    EXPECT_EQ(pPuts->Count(), 6u);
    RunUntilDone(*pPuts);
    ASSERT_EQ(mapOutcome.size(), 6u);

    auto Of = [&](const SFtpPutOrder& order) {
        return mapOutcome[order.strHost + " " + order.strUser + " " + order.strPassword + " " +
                          order.strLocalPath];
    };
    SFtpPutOutcome ok = Of(Order("127.0.0.1"));
    EXPECT_EQ(ok.nResult, FTPRUN_OK);
    EXPECT_EQ(ok.reply.strText, "226 Transfer complete.");
    EXPECT_EQ(ok.strShown, "");
    SFtpPutOutcome refused = Of(Order("127.0.0.2"));
    EXPECT_EQ(refused.nResult, FTPRUN_REFUSED);
    EXPECT_EQ(refused.reply.strText, "550 APP.mot: Permission denied.");
    SFtpPutOutcome noServer = Of(Order("127.0.0.3"));
    EXPECT_EQ(noServer.nResult, FTPRUN_NO_CONNECTION);
    EXPECT_EQ(noServer.strShown, "FTPｻｰﾊﾞｰが接続を拒否しました [7]");
    SFtpPutOutcome badLogin = Of(Order("127.0.0.1", "wrong"));
    EXPECT_EQ(badLogin.nResult, FTPRUN_NO_CONNECTION);
    EXPECT_EQ(badLogin.strShown,
              "FTPｻｰﾊﾞｰがﾛｸﾞｲﾝを拒否しました(ﾕｰｻﾞｰ名またはﾊﾟｽﾜｰﾄﾞが違います) [67]");
    SFtpPutOutcome badAccount = Of({"127.0.0.1", m_strImage, "adm\nin", SECRET});
    EXPECT_EQ(badAccount.nResult, FTPRUN_UNSAFE_TEXT);
    EXPECT_EQ(badAccount.strShown, "MRV-620のFTPｱｶｳﾝﾄに改行などの制御文字が含まれているため、"
                                   "FTP処理を中止しました");
    SFtpPutOutcome badPath = Of({"127.0.0.1", "/x/\"q\".mot", "admin", SECRET});
    EXPECT_EQ(badPath.nResult, FTPRUN_UNSAFE_TEXT);
    EXPECT_EQ(badPath.strShown,
              "ﾌｧｲﾙ名に改行などの制御文字または「\"」が含まれているため、ﾀﾞｳﾝﾛｰﾄﾞできません");

    // Only the two whose check passed ran the client, each with the put script.
    EXPECT_EQ(m_fake.Runs(), 2);
    EXPECT_NE(m_fake.Run(1, "script").find("put "), std::string::npos);
    EXPECT_EQ(FoldersLeft(), 0u);
    // Each check logged in and said QUIT, as the one-node check does.
    EXPECT_TRUE(m_servers[0]->WaitForClosed(2, 10000));
    EXPECT_TRUE(m_servers[1]->WaitForClosed(1, 10000));
    std::vector<std::string> vecCommands = m_servers[1]->Commands();
    EXPECT_EQ(vecCommands.front(), "USER admin");
    EXPECT_EQ(vecCommands.back(), "QUIT");
}

TEST_F(FtpPuts, AClientOverItsTimeLimitIsEndedAndACancelledPutLeavesNothing) {
    m_env.dwTimeLimit = 300;
    std::unique_ptr<CFtpPuts> pPuts = MakeFtpPuts(m_pump, m_timers, m_env);
    std::vector<SFtpPutOutcome> vecOutcomes;
    m_fake.SetHang();
    pPuts->Start(Order("127.0.0.1"),
                 [&](const SFtpPutOutcome& outcome) { vecOutcomes.push_back(outcome); });
    RunUntilDone(*pPuts);
    ASSERT_EQ(vecOutcomes.size(), 1u);
    EXPECT_EQ(vecOutcomes[0].nResult, FTPRUN_TIMEOUT);
    EXPECT_EQ(vecOutcomes[0].strShown, "FTPﾌﾟﾛｾｽでﾀｲﾑｱｳﾄが発生しました");
    const pid_t pid = static_cast<pid_t>(std::stoi(m_fake.Run(1, "pid")));
    EXPECT_NE(::kill(pid, 0), 0) << "the client is gone";
    EXPECT_EQ(FoldersLeft(), 0u);

    // A put cancelled in the middle leaves no client and no folder either.
    pPuts->Start(Order("127.0.0.1"), [&](const SFtpPutOutcome&) { ADD_FAILURE() << "told"; });
    for (int n = 0; n < 200 && m_fake.Runs() < 2; ++n) {
        m_pump.WaitForMessages(20);
        m_timers.RunDue();
    }
    ASSERT_EQ(m_fake.Runs(), 2);
    pPuts.reset();
    EXPECT_EQ(FoldersLeft(), 0u);
    m_pump.PumpPendingMessages();
}

TEST_F(FtpPuts, EachStepIsToldWithTheAccountMaskedAsTheOneNodePutTellsIt) {
    std::vector<std::string> vecLines;
    m_env.fnTrace = [&](const std::string& strLine) { vecLines.push_back(strLine); };
    std::unique_ptr<CFtpPuts> pPuts = MakeFtpPuts(m_pump, m_timers, m_env);
    pPuts->Start(Order("127.0.0.1"),
                 [](const SFtpPutOutcome& outcome) { EXPECT_EQ(outcome.nResult, FTPRUN_OK); });
    pPuts->Start(Order("127.0.0.3"), [](const SFtpPutOutcome&) {});
    RunUntilDone(*pPuts);
    std::vector<std::string> vecOne;
    for (const std::string& strLine : vecLines) {
        EXPECT_EQ(strLine.find(SECRET), std::string::npos) << strLine;
        if (strLine.rfind("ftp 127.0.0.3", 0) == 0) {
            EXPECT_NE(strLine, "ftp 127.0.0.3: logged in");
        } else {
            vecOne.push_back(strLine);
        }
    }
    EXPECT_NE(std::find(vecLines.begin(), vecLines.end(), "ftp 127.0.0.3: connection check failed"),
              vecLines.end());
    ASSERT_GE(vecOne.size(), 6u);
    EXPECT_EQ(vecOne[0], "ftp 127.0.0.1: connection check with the node's account");
    EXPECT_EQ(vecOne[1], "ftp 127.0.0.1: logged in");
    EXPECT_EQ(vecOne[2].rfind("ftp 127.0.0.1: " + m_fake.Program() + " -i -n -g -v 127.0.0.1", 0),
              0u)
        << vecOne[2];
    EXPECT_EQ(vecOne[3], "ftp> user ****");
    EXPECT_NE(std::find(vecOne.begin(), vecOne.end(), "ftp< 226 Transfer complete."), vecOne.end());
    EXPECT_EQ(vecOne.back(), "ftp 127.0.0.1: the client ended (status 0)");
}
