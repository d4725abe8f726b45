#include "RawNodeClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

bool RawInsideTestNetwork() {
    struct stat stSelf {};
    if (stat("/proc/self/ns/net", &stSelf) != 0) {
        return false;
    }
    struct stat stInit {};
    if (stat("/proc/1/ns/net", &stInit) == 0) {
        return stSelf.st_ino != stInit.st_ino;
    }
    const char* pszHost = std::getenv("MRVT_HOST_NETNS");
    return pszHost != nullptr && *pszHost != '\0' && std::to_string(stSelf.st_ino) != pszHost;
}

CRawUdp::CRawUdp(uint16_t wLocalPort) {
    if (!RawInsideTestNetwork()) {
        return; // never a socket that could reach a real network
    }
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int nOn = 1;
    int nBuffer = 32 << 20;
    setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &nOn, sizeof nOn);
    if (setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &nBuffer, sizeof nBuffer) != 0) {
        setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &nBuffer, sizeof nBuffer);
    }
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wLocalPort);
    socklen_t nLen = sizeof sa;
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &nLen) != 0) {
        close(m_fd);
        m_fd = -1;
        return;
    }
    m_wPort = ntohs(sa.sin_port);
}

CRawUdp::~CRawUdp() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

bool CRawUdp::SendTo(const std::string& strIp, const RawBytes& vecData, uint16_t wPort) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wPort);
    if (m_fd < 0 || inet_pton(AF_INET, strIp.c_str(), &sa.sin_addr) != 1) {
        return false;
    }
    return sendto(m_fd, vecData.data(), vecData.size(), 0, reinterpret_cast<sockaddr*>(&sa),
                  sizeof sa) == ssize_t(vecData.size());
}

bool CRawUdp::Receive(SRawDatagram& dgram, int nTimeoutMs) {
    pollfd pfd{m_fd, POLLIN, 0};
    if (m_fd < 0 || poll(&pfd, 1, nTimeoutMs) <= 0) {
        return false;
    }
    uint8_t ab[4096];
    sockaddr_in sa{};
    socklen_t nLen = sizeof sa;
    ssize_t n = recvfrom(m_fd, ab, sizeof ab, 0, reinterpret_cast<sockaddr*>(&sa), &nLen);
    if (n < 0) {
        return false;
    }
    dgram.vecData.assign(ab, ab + n);
    dgram.dwFromIp = ntohl(sa.sin_addr.s_addr);
    dgram.wFromPort = ntohs(sa.sin_port);
    return true;
}

CSimControlClient::CSimControlClient(const char* pszVariable) {
    const char* pszPath = std::getenv(pszVariable);
    sockaddr_un su{};
    if (pszPath == nullptr || std::strlen(pszPath) >= sizeof su.sun_path) {
        return;
    }
    su.sun_family = AF_UNIX;
    std::strcpy(su.sun_path, pszPath);
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(m_fd, reinterpret_cast<sockaddr*>(&su), sizeof su) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

CSimControlClient::~CSimControlClient() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

std::string CSimControlClient::Request(const std::string& strLine) {
    if (m_fd < 0) {
        return "ERR no control channel\n";
    }
    std::string strOut = strLine + "\n";
    if (send(m_fd, strOut.data(), strOut.size(), MSG_NOSIGNAL) != ssize_t(strOut.size())) {
        return "ERR send\n";
    }
    // The reply ends with a line that is "OK" or starts with "ERR ".
    while (true) {
        size_t nStart = 0;
        while (true) {
            size_t nEnd = m_strBuffer.find('\n', nStart);
            if (nEnd == std::string::npos) {
                break;
            }
            std::string strLast = m_strBuffer.substr(nStart, nEnd - nStart);
            if (strLast == "OK" || strLast.rfind("ERR ", 0) == 0) {
                std::string strReply = m_strBuffer.substr(0, nEnd + 1);
                m_strBuffer.erase(0, nEnd + 1);
                return strReply;
            }
            nStart = nEnd + 1;
        }
        char buf[4096];
        ssize_t n = recv(m_fd, buf, sizeof buf, 0);
        if (n <= 0) {
            return "ERR connection closed\n";
        }
        m_strBuffer.append(buf, size_t(n));
    }
}

std::string RawIpToText(uint32_t dwIp) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%u.%u.%u.%u", dwIp >> 24, (dwIp >> 16) & 0xFF, (dwIp >> 8) & 0xFF,
                  dwIp & 0xFF);
    return sz;
}

std::string RawHex(const RawBytes& vec) {
    std::string str;
    char sz[4];
    for (uint8_t by : vec) {
        std::snprintf(sz, sizeof sz, "%02X ", by);
        str += sz;
    }
    return str;
}

int RawTcpConnect(const std::string& strIp, uint16_t wPort, int* pfdOut) {
    if (!RawInsideTestNetwork()) {
        return EPERM;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wPort);
    inet_pton(AF_INET, strIp.c_str(), &sa.sin_addr);
    int nResult = 0;
    if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        nResult = errno;
        if (nResult == EINPROGRESS) {
            pollfd pfd{fd, POLLOUT, 0};
            if (poll(&pfd, 1, 3000) <= 0) {
                nResult = ETIMEDOUT;
            } else {
                socklen_t nLen = sizeof nResult;
                getsockopt(fd, SOL_SOCKET, SO_ERROR, &nResult, &nLen);
            }
        }
    }
    if (nResult == 0 && pfdOut != nullptr) {
        // Blocking reads from here, but never for more than 3 s.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        timeval tv{3, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        *pfdOut = fd;
    } else {
        close(fd);
    }
    return nResult;
}
