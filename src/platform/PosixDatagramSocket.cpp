#include "platform/PosixDatagramSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A search on a big segment brings a thousand replies per probe at once.
constexpr int SOCKET_RECEIVE_BUFFER = 4 * 1024 * 1024;
} // namespace

CPosixDatagramSocket::CPosixDatagramSocket() {
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd >= 0) {
        // Beyond the system's limit only a privileged process may go; either
        // way the endpoint also reads replies off the socket while it paces.
        int nSize = SOCKET_RECEIVE_BUFFER;
        if (setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &nSize, sizeof nSize) != 0) {
            setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &nSize, sizeof nSize);
        }
    }
}

CPosixDatagramSocket::~CPosixDatagramSocket() {
    Close();
}

bool CPosixDatagramSocket::Bind(uint16_t wPort) {
    if (m_fd < 0) {
        return false;
    }
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(wPort);
    sin.sin_addr.s_addr = htonl(INADDR_ANY);
    return bind(m_fd, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0;
}

bool CPosixDatagramSocket::SetBroadcast(bool bOn) {
    int nValue = bOn ? 1 : 0;
    return m_fd >= 0 && setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &nValue, sizeof nValue) == 0;
}

int CPosixDatagramSocket::SendTo(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort) {
    if (m_fd < 0) {
        return -1;
    }
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(wPort);
    sin.sin_addr.s_addr = htonl(dwIp);
    ssize_t n;
    do {
        n = sendto(m_fd, pData, nLen, 0, reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int CPosixDatagramSocket::ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr,
                                      uint16_t& wPort) {
    if (m_fd < 0) {
        return -1;
    }
    sockaddr_in sin{};
    socklen_t nLen = sizeof sin;
    ssize_t n;
    do {
        n = recvfrom(m_fd, pBuf, nCapacity, 0, reinterpret_cast<sockaddr*>(&sin), &nLen);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return -1;
    }
    char szAddr[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &sin.sin_addr, szAddr, sizeof szAddr);
    strAddr = szAddr;
    wPort = ntohs(sin.sin_port);
    return static_cast<int>(n);
}

void CPosixDatagramSocket::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}
