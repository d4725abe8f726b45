#include "platform/PosixDatagramSocket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A search on a big segment brings a thousand replies per probe at once.
constexpr int SOCKET_RECEIVE_BUFFER = 4 * 1024 * 1024;
// Datagrams taken per system call when a burst is read off the socket.
constexpr size_t SOCKET_BATCH = 64;

sockaddr_in MakeAddress(uint32_t dwIp, uint16_t wPort) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(wPort);
    sin.sin_addr.s_addr = htonl(dwIp);
    return sin;
}

// Room for the one control message of a datagram: its interface.
struct SPacketInfoControl {
    alignas(cmsghdr) char abData[CMSG_SPACE(sizeof(in_pktinfo))] = {};
};

// One datagram with its address and room for the interface information.
msghdr MakeMessage(sockaddr_in& sin, iovec& iov, SPacketInfoControl& control) {
    msghdr msg{};
    msg.msg_name = &sin;
    msg.msg_namelen = sizeof sin;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control.abData;
    msg.msg_controllen = sizeof control.abData;
    return msg;
}

// The interface a received datagram names in its control data; 0 when none.
unsigned ArrivalInterface(msghdr& msg) {
    unsigned nIfIndex = 0;
    for (cmsghdr* pCmsg = CMSG_FIRSTHDR(&msg); pCmsg != nullptr; pCmsg = CMSG_NXTHDR(&msg, pCmsg)) {
        if (pCmsg->cmsg_level == IPPROTO_IP && pCmsg->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(pCmsg), sizeof info);
            nIfIndex = static_cast<unsigned>(info.ipi_ifindex);
        }
    }
    return nIfIndex;
}

std::string AddressText(const sockaddr_in& sin) {
    char szAddr[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &sin.sin_addr, szAddr, sizeof szAddr);
    return szAddr;
}
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
        // Each reply tells the interface it came in on.
        int nOn = 1;
        setsockopt(m_fd, IPPROTO_IP, IP_PKTINFO, &nOn, sizeof nOn);
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
    sockaddr_in sin = MakeAddress(dwIp, wPort);
    ssize_t n;
    do {
        n = sendto(m_fd, pData, nLen, 0, reinterpret_cast<const sockaddr*>(&sin), sizeof sin);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int CPosixDatagramSocket::SendThrough(const void* pData, size_t nLen, uint32_t dwIp, uint16_t wPort,
                                      unsigned nIfIndex) {
    if (m_fd < 0) {
        return -1;
    }
    sockaddr_in sin = MakeAddress(dwIp, wPort);
    iovec iov{const_cast<void*>(pData), nLen};
    // The outgoing interface rides along with the datagram; the kernel picks
    // that interface's own address as the source.
    SPacketInfoControl control;
    msghdr msg = MakeMessage(sin, iov, control);
    cmsghdr* pCmsg = CMSG_FIRSTHDR(&msg);
    pCmsg->cmsg_level = IPPROTO_IP;
    pCmsg->cmsg_type = IP_PKTINFO;
    pCmsg->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(nIfIndex);
    std::memcpy(CMSG_DATA(pCmsg), &info, sizeof info);
    ssize_t n;
    do {
        n = sendmsg(m_fd, &msg, 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int CPosixDatagramSocket::ReceiveFrom(void* pBuf, size_t nCapacity, std::string& strAddr,
                                      uint16_t& wPort) {
    if (m_fd < 0) {
        return -1;
    }
    sockaddr_in sin{};
    iovec iov{pBuf, nCapacity};
    SPacketInfoControl control;
    msghdr msg = MakeMessage(sin, iov, control);
    ssize_t n;
    do {
        n = recvmsg(m_fd, &msg, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        return -1;
    }
    m_nLastInterface = ArrivalInterface(msg);
    strAddr = AddressText(sin);
    wPort = ntohs(sin.sin_port);
    // A datagram longer than the buffer is cut, as recvfrom does.
    return static_cast<int>(n);
}

size_t CPosixDatagramSocket::ReceiveMany(std::deque<SDatagram>& queue, size_t nMax,
                                         size_t nCapacity) {
    if (m_fd < 0 || nCapacity == 0) {
        return 0;
    }
    // A burst costs one system call per batch instead of one per datagram.
    // Kept between calls: a pause reads a burst every few milliseconds.
    std::vector<uint8_t>& vecBuf = m_vecBatch;
    vecBuf.resize(SOCKET_BATCH * nCapacity);
    std::array<sockaddr_in, SOCKET_BATCH> arrAddr{};
    std::array<iovec, SOCKET_BATCH> arrIov{};
    std::array<SPacketInfoControl, SOCKET_BATCH> arrControl{};
    std::array<mmsghdr, SOCKET_BATCH> arrMsg{};
    size_t nRead = 0;
    while (nRead < nMax) {
        size_t nBatch = std::min(SOCKET_BATCH, nMax - nRead);
        for (size_t i = 0; i < nBatch; ++i) {
            arrIov[i] = {vecBuf.data() + i * nCapacity, nCapacity};
            arrMsg[i] = {};
            arrMsg[i].msg_hdr = MakeMessage(arrAddr[i], arrIov[i], arrControl[i]);
        }
        int nGot;
        do {
            nGot =
                recvmmsg(m_fd, arrMsg.data(), static_cast<unsigned>(nBatch), MSG_DONTWAIT, nullptr);
        } while (nGot < 0 && errno == EINTR);
        if (nGot <= 0) {
            break;
        }
        for (size_t i = 0; i < static_cast<size_t>(nGot); ++i) {
            const uint8_t* pData = vecBuf.data() + i * nCapacity;
            SDatagram dgram;
            // A datagram longer than its room is cut, as a single read cuts it.
            dgram.vecData.assign(pData, pData + std::min<size_t>(arrMsg[i].msg_len, nCapacity));
            dgram.strAddr = AddressText(arrAddr[i]);
            dgram.wPort = ntohs(arrAddr[i].sin_port);
            dgram.nIfIndex = ArrivalInterface(arrMsg[i].msg_hdr);
            queue.push_back(std::move(dgram));
        }
        nRead += static_cast<size_t>(nGot);
        if (static_cast<size_t>(nGot) < nBatch) {
            break; // the socket is empty
        }
    }
    return nRead;
}

void CPosixDatagramSocket::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

bool CanBindUdpPort(uint16_t wPort) {
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_in sin = MakeAddress(INADDR_ANY, wPort);
    bool bFree = bind(fd, reinterpret_cast<const sockaddr*>(&sin), sizeof sin) == 0;
    close(fd);
    return bFree;
}
