#include "platform/FtpSession.h"
#include "LoopbackFtpServer.h"
#include "platform/PollMessagePump.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A loopback port with nobody listening.
uint16_t ClosedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLen = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &nLen);
    close(fd);
    return ntohs(addr.sin_port);
}

std::string ConnectError(CFtpClient& client, const std::string& strHost, const std::string& strUser,
                         const std::string& strPassword, uint16_t wPort) {
    try {
        client.Connect(strHost, 5000, 1, strUser, strPassword, wPort, false);
    } catch (const CFtpError& err) {
        std::string strText;
        EXPECT_TRUE(err.GetErrorMessage(strText));
        return strText;
    }
    ADD_FAILURE() << "connected";
    return {};
}
} // namespace

TEST(FtpClient, ConnectLogsInAndCloseSaysQuit) {
    CLoopbackFtpServer server("admin", "secret");
    ASSERT_NE(server.Port(), 0);
    CFtpClient client;
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.Connect("127.0.0.1", 5000, 1, "admin", "secret", server.Port(), false));
    EXPECT_TRUE(client.IsConnected());
    client.CloseConnection();
    EXPECT_FALSE(client.IsConnected());
    ASSERT_TRUE(server.WaitForClosed(1, 10000));
    std::vector<std::string> vec = server.Commands();
    ASSERT_GE(vec.size(), 3u);
    EXPECT_EQ(vec[0], "USER admin");
    EXPECT_EQ(vec[1], "PASS secret");
    EXPECT_EQ(vec.back(), "QUIT");
}

TEST(FtpClient, AccountlessUserAndConnectingTwiceClosesTheFirstConnection) {
    CLoopbackFtpServer server("(none)", "");
    CFtpClient client;
    CPollMessagePump pump;
    client.SetPump(&pump); // the check pauses the pump instead of blocking in the library
    ASSERT_TRUE(client.Connect("127.0.0.1", 5000, 1, "(none)", "", server.Port(), false));
    ASSERT_TRUE(client.Connect("127.0.0.1", 5000, 1, "(none)", "", server.Port(), false));
    client.CloseConnection();
    ASSERT_TRUE(server.WaitForClosed(2, 10000));
    EXPECT_EQ(server.Connections(), 2);
    std::vector<std::string> vec = server.Commands();
    EXPECT_EQ(std::count(vec.begin(), vec.end(), "USER (none)"), 2);
    EXPECT_EQ(std::count(vec.begin(), vec.end(), "QUIT"), 2);
    // No password was asked for, none is sent.
    for (const std::string& str : vec) {
        EXPECT_NE(str.rfind("PASS", 0), 0u) << str;
    }
}

TEST(FtpClient, RefusedLoginAndRefusedConnectionGiveTheLibrarysText) {
    CLoopbackFtpServer server("admin", "secret");
    CFtpClient client;
    std::string strText = ConnectError(client, "127.0.0.1", "admin", "wrong", server.Port());
    EXPECT_NE(strText.find("530"), std::string::npos) << strText;
    EXPECT_FALSE(client.IsConnected());

    strText = ConnectError(client, "127.0.0.1", "admin", "secret", ClosedPort());
    EXPECT_NE(strText.find("onnect"), std::string::npos) << strText;
    EXPECT_FALSE(client.IsConnected());

    // A host text that would change the URL never reaches the library.
    strText = ConnectError(client, "127.0.0.1/evil@x", "admin", "secret", server.Port());
    EXPECT_FALSE(strText.empty());
    EXPECT_EQ(server.Connections(), 1);
}

TEST(FtpClient, DestroyingAClientThatNeverConnectedIsQuiet) {
    CLoopbackFtpServer server("admin", "secret");
    { CFtpClient client; }
    EXPECT_EQ(server.Connections(), 0);
}
