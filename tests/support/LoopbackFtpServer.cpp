#include "LoopbackFtpServer.h"

#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

CLoopbackFtpServer::CLoopbackFtpServer(std::string strUser, std::string strPassword)
    : m_strUser(std::move(strUser)), m_strPassword(std::move(strPassword)) {
    Listen(INADDR_LOOPBACK, 0);
}

CLoopbackFtpServer::CLoopbackFtpServer(std::string strUser, std::string strPassword,
                                       const std::string& strAddress, uint16_t wPort)
    : m_strUser(std::move(strUser)), m_strPassword(std::move(strPassword)) {
    in_addr address{};
    // Loopback only: nothing here may listen beyond the machine.
    if (inet_pton(AF_INET, strAddress.c_str(), &address) == 1 &&
        (ntohl(address.s_addr) >> 24) == 127) {
        Listen(ntohl(address.s_addr), wPort);
    }
}

void CLoopbackFtpServer::Listen(uint32_t dwAddress, uint16_t wPort) {
    m_fdListen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(dwAddress);
    addr.sin_port = htons(wPort);
    socklen_t nLen = sizeof addr;
    if (m_fdListen < 0 || bind(m_fdListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(m_fdListen, 8) != 0 ||
        getsockname(m_fdListen, reinterpret_cast<sockaddr*>(&addr), &nLen) != 0) {
        return;
    }
    m_wPort = ntohs(addr.sin_port);
    m_fdStop = eventfd(0, EFD_CLOEXEC);
    m_thread = std::thread([this] { Run(); });
}

CLoopbackFtpServer::~CLoopbackFtpServer() {
    if (m_thread.joinable()) {
        uint64_t qwOne = 1;
        [[maybe_unused]] ssize_t n = write(m_fdStop, &qwOne, sizeof qwOne);
        m_thread.join();
    }
    if (m_fdStop >= 0) {
        close(m_fdStop);
    }
    if (m_fdListen >= 0) {
        close(m_fdListen);
    }
}

std::vector<std::string> CLoopbackFtpServer::Commands() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_vecCommands;
}

bool CLoopbackFtpServer::WaitForClosed(int nCount, int ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cvClosed.wait_for(lock, std::chrono::milliseconds(ms),
                               [&] { return m_nClosed >= nCount; });
}

void CLoopbackFtpServer::Run() {
    for (;;) {
        pollfd apfd[2] = {{m_fdStop, POLLIN, 0}, {m_fdListen, POLLIN, 0}};
        if (poll(apfd, 2, -1) < 0 || (apfd[0].revents & POLLIN) != 0) {
            return;
        }
        int fd = accept4(m_fdListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            ++m_nConnections;
            ++m_nOpen;
            Serve(fd);
            --m_nOpen;
            close(fd);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_nClosed;
            }
            m_cvClosed.notify_all();
        }
    }
}

void CLoopbackFtpServer::Serve(int fd) {
    auto reply = [fd](const std::string& str) {
        std::string strLine = str + "\r\n";
        [[maybe_unused]] ssize_t n = send(fd, strLine.data(), strLine.size(), MSG_NOSIGNAL);
    };
    reply("220 loopback ready");
    std::string strBuffer;
    std::string strUser;
    for (;;) {
        pollfd apfd[2] = {{m_fdStop, POLLIN, 0}, {fd, POLLIN, 0}};
        if (poll(apfd, 2, -1) < 0 || (apfd[0].revents & POLLIN) != 0) {
            return;
        }
        char ab[512];
        ssize_t n = recv(fd, ab, sizeof ab, 0);
        if (n <= 0) {
            return;
        }
        strBuffer.append(ab, static_cast<size_t>(n));
        size_t nEnd;
        while ((nEnd = strBuffer.find("\r\n")) != std::string::npos) {
            std::string strLine = strBuffer.substr(0, nEnd);
            strBuffer.erase(0, nEnd + 2);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_vecCommands.push_back(strLine);
            }
            std::string strVerb = strLine.substr(0, strLine.find(' '));
            std::string strArg = strLine.size() > strVerb.size()
                                     ? strLine.substr(strVerb.size() + 1)
                                     : std::string();
            if (strVerb == "USER") {
                strUser = strArg;
                if (strUser == m_strUser && m_strPassword.empty()) {
                    reply("230 logged in");
                } else {
                    reply("331 password please");
                }
            } else if (strVerb == "PASS") {
                if (strUser == m_strUser && strArg == m_strPassword) {
                    reply("230 logged in");
                } else {
                    reply("530 Login incorrect.");
                }
            } else if (strVerb == "PWD") {
                reply("257 \"/\" is the current directory");
            } else if (strVerb == "QUIT") {
                reply("221 bye");
                return;
            } else {
                reply("502 not here");
            }
        }
    }
}
