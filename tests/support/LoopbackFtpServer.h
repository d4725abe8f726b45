#pragma once
// A tiny FTP server on 127.0.0.1 for the connection check: greeting, USER,
// PASS, PWD, QUIT; one account. Runs on a thread of its own until destroyed.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CLoopbackFtpServer {
public:
    // An empty password lets the user in at USER already.
    CLoopbackFtpServer(std::string strUser, std::string strPassword);
    // On another loopback address (127.x.y.z) and a given port, so that
    // several nodes can answer the check on one port.
    CLoopbackFtpServer(std::string strUser, std::string strPassword, const std::string& strAddress,
                       uint16_t wPort);
    ~CLoopbackFtpServer();
    CLoopbackFtpServer(const CLoopbackFtpServer&) = delete;
    CLoopbackFtpServer& operator=(const CLoopbackFtpServer&) = delete;

    uint16_t Port() const { return m_wPort; }
    // Every command line received, in order, over all connections.
    std::vector<std::string> Commands() const;
    int Connections() const { return m_nConnections; }
    int OpenConnections() const { return m_nOpen; }
    // Waits up to ms until nCount connections have come and gone; true then.
    bool WaitForClosed(int nCount, int ms);

private:
    void Listen(uint32_t dwAddress, uint16_t wPort);
    void Run();
    void Serve(int fd);

    std::string m_strUser;
    std::string m_strPassword;
    int m_fdListen = -1;
    int m_fdStop = -1;
    uint16_t m_wPort = 0;
    std::atomic<int> m_nConnections{0};
    std::atomic<int> m_nOpen{0};
    mutable std::mutex m_mutex;
    std::condition_variable m_cvClosed;
    int m_nClosed = 0;
    std::vector<std::string> m_vecCommands;
    std::thread m_thread;
};
