// 1024 simulated nodes answer one broadcast search, counted by a raw client,
// and 64 of them serve FTP sessions at once.
#include "RawNodeClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <poll.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(SimScale, EveryNodeAnswersEveryProbe) {
    ASSERT_TRUE(RawInsideTestNetwork()) << "run me through scripts/testnet";
    CRawUdp udp(65532);
    ASSERT_TRUE(udp.IsOpen());
    // The manager's pacing: a probe every 50 ms.
    for (uint8_t i = 0; i < 16; ++i) {
        ASSERT_TRUE(udp.SendTo("255.255.255.255",
                               {0x76, 0x01, 0x01, 0x01, 0x00, 0x00, i, 0x00, 0x00, 0x0F, 0x95}));
        poll(nullptr, 0, 50);
    }
    std::map<RawBytes, int> mapReplies; // MAC -> replies
    std::set<uint32_t> setUnaddressedSources;
    size_t nTotal = 0;
    SRawDatagram dgram;
    auto tStart = std::chrono::steady_clock::now();
    while (nTotal < 1024 * 16 && udp.Receive(dgram, 3000)) {
        ++nTotal;
        ASSERT_EQ(dgram.vecData.size(), 13u);
        ASSERT_EQ(RawBytes(dgram.vecData.begin(), dgram.vecData.begin() + 4),
                  (RawBytes{0x76, 0x01, 0x02, 0x01}));
        RawBytes mac(dgram.vecData.begin() + 4, dgram.vecData.begin() + 10);
        ++mapReplies[mac];
        if (dgram.dwFromIp == 0xC0A8C8FEu) {
            setUnaddressedSources.insert(uint32_t(mac[4] << 8 | mac[5]));
        }
    }
    auto nMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - tStart)
                   .count();
    EXPECT_EQ(mapReplies.size(), 1024u);
    EXPECT_EQ(nTotal, 1024u * 16u);
    for (const auto& [mac, nCount] : mapReplies) {
        EXPECT_EQ(nCount, 16) << RawHex(mac);
    }
    EXPECT_EQ(setUnaddressedSources.size(), 24u); // the last 24 have no address
    std::printf("1024 nodes: %zu replies in %lld ms\n", nTotal, static_cast<long long>(nMs));
}

// 64 FTP sessions at once on 64 of the 1024 nodes: every upload is held two
// seconds by the node (a slow transfer), so all 64 sessions are open at the
// same time; each node takes its file, and the whole takes far less than 64
// uploads one after the other would.
TEST(SimScale, SixtyFourFtpSessionsAtOnce) {
    ASSERT_TRUE(RawInsideTestNetwork()) << "run me through scripts/testnet";
    CSimControlClient control;
    ASSERT_TRUE(control.IsOpen());
    const char* pszDir = std::getenv("MRVT_DIR");
    ASSERT_NE(pszDir, nullptr);
    const std::string strDir = std::string(pszDir) + "/sixty-four";
    ASSERT_EQ(::mkdir(strDir.c_str(), 0700), 0);
    const std::string strImage = strDir + "/APP.mot";
    {
        std::ofstream out(strImage, std::ios::binary);
        out << "S0100000544553544150502056312E303297\r\n"
               "S1130000000102030405060708090A0B0C0D0E0F74\r\nS9030000FC\r\n";
    }
    const std::string strScript = strDir + "/put.txt";
    {
        std::ofstream out(strScript);
        out << "user (none) x\nbin\nput " << strImage << " APP.mot\nquit\n";
    }
    constexpr int SESSIONS = 64;
    for (int n = 0; n < SESSIONS; ++n) {
        std::string strNode = "#" + std::to_string(n);
        ASSERT_NE(control.Request("SET " + strNode + " mode 7").find("OK"), std::string::npos);
        ASSERT_NE(control.Request("FAULT " + strNode + " slow 2000").find("OK"), std::string::npos);
    }
    auto tStart = std::chrono::steady_clock::now();
    std::vector<pid_t> vecPids;
    for (int n = 0; n < SESSIONS; ++n) {
        const std::string strHost = "192.168.1." + std::to_string(n + 1);
        pid_t pid = fork();
        if (pid == 0) {
            int fdIn = open(strScript.c_str(), O_RDONLY);
            int fdNull = open("/dev/null", O_WRONLY);
            if (fdIn < 0 || fdNull < 0) {
                _exit(126);
            }
            dup2(fdIn, 0);
            dup2(fdNull, 1);
            dup2(fdNull, 2);
            execlp("ftp", "ftp", "-g", "-i", "-n", strHost.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        vecPids.push_back(pid);
    }
    for (pid_t pid : vecPids) {
        int nStatus = 0;
        ASSERT_EQ(waitpid(pid, &nStatus, 0), pid);
        EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0);
    }
    auto nMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - tStart)
                   .count();
    for (int n = 0; n < SESSIONS; ++n) {
        EXPECT_NE(
            control.Request("WAIT #" + std::to_string(n) + " file=APP.mot timeout=0").find("OK"),
            std::string::npos)
            << n;
    }
    EXPECT_LT(nMs, 30000) << "the sessions were served one after the other";
    std::printf("64 uploads held 2 s each: %lld ms\n", static_cast<long long>(nMs));
}
