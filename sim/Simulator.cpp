#include "Simulator.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
bool IsLoopback(uint32_t dwIp) {
    return (dwIp >> 24) == 127;
}
} // namespace

CSimulator::CSimulator(const SSimOptions& options, SimNodeList nodes)
    : m_options(options), m_nodes(std::move(nodes)),
      m_ftp(m_loop, m_nodes, options.wFtpPort, options.bLoopbackOnly, options.bVerbose),
      m_control(m_nodes,
                [this](CSimNode& node, uint32_t dwOldIp) { OnNodeChanged(node, dwOldIp); }) {
    for (const auto& pNode : m_nodes) {
        Index(*pNode);
    }
}

CSimulator::~CSimulator() {
    while (!m_mapClients.empty()) {
        CloseControlClient(m_mapClients.begin()->first);
    }
    if (m_fdControl >= 0) {
        close(m_fdControl);
        unlink(m_options.strControl.c_str());
    }
    if (m_fdUdp >= 0) {
        close(m_fdUdp);
    }
}

bool CSimulator::Start(std::string& strError) {
    m_fdUdp = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    int nOn = 1;
    int nBuffer = 8 << 20;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(m_options.wUdpPort);
    sa.sin_addr.s_addr = htonl(INADDR_ANY);
    if (m_fdUdp < 0 || setsockopt(m_fdUdp, SOL_SOCKET, SO_REUSEADDR, &nOn, sizeof nOn) != 0 ||
        setsockopt(m_fdUdp, SOL_SOCKET, SO_BROADCAST, &nOn, sizeof nOn) != 0 ||
        setsockopt(m_fdUdp, IPPROTO_IP, IP_PKTINFO, &nOn, sizeof nOn) != 0 ||
        bind(m_fdUdp, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        strError = "cannot open UDP port " + std::to_string(m_options.wUdpPort) + ": " +
                   std::strerror(errno);
        return false;
    }
    // 1024 nodes answer one probe at once; let the bursts through. The forced
    // variants need privileges; the plain ones are the fallback.
    if (setsockopt(m_fdUdp, SOL_SOCKET, SO_SNDBUFFORCE, &nBuffer, sizeof nBuffer) != 0) {
        setsockopt(m_fdUdp, SOL_SOCKET, SO_SNDBUF, &nBuffer, sizeof nBuffer);
    }
    if (setsockopt(m_fdUdp, SOL_SOCKET, SO_RCVBUFFORCE, &nBuffer, sizeof nBuffer) != 0) {
        setsockopt(m_fdUdp, SOL_SOCKET, SO_RCVBUF, &nBuffer, sizeof nBuffer);
    }
    m_loop.Watch(m_fdUdp, POLLIN, [this](short nRevents) {
        if (nRevents & POLLOUT) {
            OnUdpWritable();
        }
        if (nRevents & POLLIN) {
            OnUdp();
        }
    });

    if (!m_options.strControl.empty()) {
        sockaddr_un su{};
        su.sun_family = AF_UNIX;
        if (m_options.strControl.size() >= sizeof su.sun_path) {
            strError = "control socket path too long";
            return false;
        }
        std::strcpy(su.sun_path, m_options.strControl.c_str());
        unlink(su.sun_path);
        m_fdControl = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (m_fdControl < 0 ||
            bind(m_fdControl, reinterpret_cast<sockaddr*>(&su), sizeof su) != 0 ||
            listen(m_fdControl, 16) != 0) {
            strError =
                "cannot open control socket " + m_options.strControl + ": " + std::strerror(errno);
            return false;
        }
        m_loop.Watch(m_fdControl, POLLIN, [this](short) { OnControlAccept(); });
    }
    m_loop.SetAfterEach([this] { CheckWaits(); });
    m_ftp.Reconcile();
    return true;
}

void CSimulator::Index(CSimNode& node) {
    m_mapByIp[node.Ip()].push_back(&node);
}

void CSimulator::Unindex(CSimNode& node, uint32_t dwIp) {
    auto it = m_mapByIp.find(dwIp);
    if (it == m_mapByIp.end()) {
        return;
    }
    std::erase(it->second, &node);
    if (it->second.empty()) {
        m_mapByIp.erase(it);
    }
}

void CSimulator::OnNodeChanged(CSimNode& node, uint32_t dwOldIp) {
    if (node.Ip() != dwOldIp) {
        Unindex(node, dwOldIp);
        Index(node);
    }
    uint64_t nNow = m_loop.Now();
    if (auto it = m_mapWakeTimers.find(&node); it != m_mapWakeTimers.end()) {
        m_loop.CancelTimer(it->second);
        m_mapWakeTimers.erase(it);
    }
    if (!node.IsAwake(nNow)) {
        CSimNode* pNode = &node;
        m_mapWakeTimers[pNode] = m_loop.AddTimer(node.m_nAwakeAt - nNow, [this, pNode] {
            m_mapWakeTimers.erase(pNode);
            if (m_options.bVerbose) {
                std::fprintf(stderr, "mrvsim: %s up in mode %u\n",
                             SimMacToText(pNode->m_mac).c_str(), pNode->m_byMode);
            }
            m_ftp.Reconcile();
        });
    }
    m_ftp.Reconcile();
}

void CSimulator::OnUdp() {
    for (int nRound = 0; nRound < 256; ++nRound) {
        uint8_t abBuf[NODE_RECEIVE_BUFFER];
        sockaddr_in saFrom{};
        iovec iov{abBuf, sizeof abBuf};
        alignas(cmsghdr) char acControl[CMSG_SPACE(sizeof(in_pktinfo))];
        msghdr msg{};
        msg.msg_name = &saFrom;
        msg.msg_namelen = sizeof saFrom;
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = acControl;
        msg.msg_controllen = sizeof acControl;
        ssize_t nLen = recvmsg(m_fdUdp, &msg, MSG_DONTWAIT);
        if (nLen < 0) {
            return;
        }
        uint32_t dwTo = 0;
        bool bHaveTo = false;
        for (cmsghdr* pc = CMSG_FIRSTHDR(&msg); pc != nullptr; pc = CMSG_NXTHDR(&msg, pc)) {
            if (pc->cmsg_level == IPPROTO_IP && pc->cmsg_type == IP_PKTINFO) {
                in_pktinfo info{};
                std::memcpy(&info, CMSG_DATA(pc), sizeof info);
                dwTo = ntohl(info.ipi_addr.s_addr);
                bHaveTo = true;
            }
        }
        uint32_t dwFrom = ntohl(saFrom.sin_addr.s_addr);
        uint16_t wFromPort = ntohs(saFrom.sin_port);
        if (!bHaveTo || (m_options.bLoopbackOnly && !IsLoopback(dwFrom))) {
            continue;
        }
        SSimRequest req;
        if (!SimParseRequest(abBuf, size_t(nLen), req)) {
            if (m_options.bVerbose) {
                std::fprintf(stderr, "mrvsim: %zd bytes from %s:%u are no request\n", nLen,
                             SimIpToText(dwFrom).c_str(), wFromPort);
            }
            continue;
        }
        bool bBroadcast = dwTo == NODE_BROADCAST_IP;
        std::vector<CSimNode*> vecTargets;
        if (bBroadcast) {
            for (const auto& pNode : m_nodes) {
                vecTargets.push_back(pNode.get());
            }
        } else if (auto it = m_mapByIp.find(dwTo); it != m_mapByIp.end()) {
            vecTargets = it->second;
        }
        uint64_t nNow = m_loop.Now();
        for (CSimNode* pNode : vecTargets) {
            uint32_t dwNodeIp = pNode->Ip();
            SSimOutcome out = pNode->Handle(req, bBroadcast, nNow);
            if (m_options.bVerbose && out.bForMe) {
                std::fprintf(stderr, "mrvsim: %s %s\n", SimMacToText(pNode->m_mac).c_str(),
                             pNode->m_deqHistory.empty() ? "" : pNode->m_deqHistory.back().c_str());
            }
            for (SSimReply& reply : out.vecReplies) {
                if (reply.nDelayMs == 0) {
                    SendReply(dwNodeIp, dwFrom, wFromPort, reply.vecData);
                } else {
                    m_loop.AddTimer(reply.nDelayMs,
                                    [this, dwNodeIp, dwFrom, wFromPort, vec = reply.vecData] {
                                        SendReply(dwNodeIp, dwFrom, wFromPort, vec);
                                    });
                }
            }
            if (out.bStateChanged) {
                OnNodeChanged(*pNode, dwNodeIp);
            }
        }
    }
}

void CSimulator::SendReply(uint32_t dwFrom, uint32_t dwTo, uint16_t wToPort,
                           const SimBytes& vecData) {
    SPendingSend send{dwFrom, dwTo, wToPort, vecData};
    if (!m_deqPending.empty() || !TrySend(send)) {
        m_deqPending.push_back(std::move(send));
        m_loop.SetEvents(m_fdUdp, POLLIN | POLLOUT);
    }
}

bool CSimulator::TrySend(const SPendingSend& send) {
    sockaddr_in saTo{};
    saTo.sin_family = AF_INET;
    saTo.sin_addr.s_addr = htonl(send.dwTo);
    saTo.sin_port = htons(send.wToPort);
    iovec iov{const_cast<uint8_t*>(send.vecData.data()), send.vecData.size()};
    alignas(cmsghdr) char acControl[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr msg{};
    msg.msg_name = &saTo;
    msg.msg_namelen = sizeof saTo;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = acControl;
    msg.msg_controllen = sizeof acControl;
    cmsghdr* pc = CMSG_FIRSTHDR(&msg);
    pc->cmsg_level = IPPROTO_IP;
    pc->cmsg_type = IP_PKTINFO;
    pc->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst.s_addr = htonl(send.dwFrom); // the reply leaves from the node's address
    std::memcpy(CMSG_DATA(pc), &info, sizeof info);
    if (sendmsg(m_fdUdp, &msg, MSG_DONTWAIT) >= 0) {
        return true;
    }
    if (errno == EAGAIN || errno == ENOBUFS) {
        return false;
    }
    std::fprintf(stderr, "mrvsim: reply from %s to %s:%u failed: %s\n",
                 SimIpToText(send.dwFrom).c_str(), SimIpToText(send.dwTo).c_str(), send.wToPort,
                 std::strerror(errno));
    return true; // not to be retried
}

void CSimulator::OnUdpWritable() {
    while (!m_deqPending.empty()) {
        if (!TrySend(m_deqPending.front())) {
            return;
        }
        m_deqPending.pop_front();
    }
    m_loop.SetEvents(m_fdUdp, POLLIN);
}

void CSimulator::OnControlAccept() {
    int fd = accept4(m_fdControl, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    auto pClient = std::make_unique<SControlClient>();
    pClient->fd = fd;
    m_mapClients[fd] = std::move(pClient);
    m_loop.Watch(fd, POLLIN, [this, fd](short nRevents) { OnControlClient(fd, nRevents); });
}

void CSimulator::FlushControl(SControlClient& client) {
    while (!client.strOut.empty()) {
        ssize_t n = send(client.fd, client.strOut.data(), client.strOut.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        client.strOut.erase(0, size_t(n));
    }
    m_loop.SetEvents(client.fd, short(POLLIN | (client.strOut.empty() ? 0 : POLLOUT)));
}

void CSimulator::OnControlClient(int fd, short nRevents) {
    auto it = m_mapClients.find(fd);
    if (it == m_mapClients.end()) {
        return;
    }
    SControlClient& client = *it->second;
    if (nRevents & POLLOUT) {
        FlushControl(client);
    }
    if (nRevents & (POLLIN | POLLHUP | POLLERR)) {
        char buf[4096];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            CloseControlClient(fd);
            return;
        }
        if (n > 0) {
            client.strIn.append(buf, size_t(n));
            RunControlLines(client);
        }
    }
}

void CSimulator::RunControlLines(SControlClient& client) {
    while (!client.bWaiting) {
        size_t nEnd = client.strIn.find('\n');
        if (nEnd == std::string::npos) {
            break;
        }
        std::string strLine = client.strIn.substr(0, nEnd);
        client.strIn.erase(0, nEnd + 1);
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        uint64_t nNow = m_loop.Now();
        SSimControlReply reply = m_control.Execute(strLine, nNow);
        if (reply.bWait) {
            if (CSimControl::WaitHolds(reply.wait, nNow)) {
                client.strOut += "OK\n";
                continue;
            }
            client.bWaiting = true;
            client.wait = reply.wait;
            int fd = client.fd;
            client.nTimer = m_loop.AddTimer(reply.wait.nDeadline - nNow, [this, fd] {
                auto it = m_mapClients.find(fd);
                if (it == m_mapClients.end() || !it->second->bWaiting) {
                    return;
                }
                SControlClient& waiting = *it->second;
                waiting.bWaiting = false;
                waiting.strOut += "ERR timeout\n";
                FlushControl(waiting);
                RunControlLines(waiting);
            });
            break;
        }
        client.strOut += reply.strText;
        if (reply.bShutdown) {
            FlushControl(client);
            m_loop.Stop();
            return;
        }
    }
    FlushControl(client);
}

void CSimulator::CheckWaits() {
    uint64_t nNow = m_loop.Now();
    std::vector<int> vecReady;
    for (const auto& [fd, pClient] : m_mapClients) {
        if (pClient->bWaiting && CSimControl::WaitHolds(pClient->wait, nNow)) {
            vecReady.push_back(fd);
        }
    }
    for (int fd : vecReady) {
        auto it = m_mapClients.find(fd);
        if (it == m_mapClients.end()) {
            continue;
        }
        SControlClient& client = *it->second;
        client.bWaiting = false;
        m_loop.CancelTimer(client.nTimer);
        client.strOut += "OK\n";
        RunControlLines(client);
    }
}

void CSimulator::CloseControlClient(int fd) {
    auto it = m_mapClients.find(fd);
    if (it == m_mapClients.end()) {
        return;
    }
    if (it->second->bWaiting) {
        m_loop.CancelTimer(it->second->nTimer);
    }
    m_loop.Unwatch(fd);
    close(fd);
    m_mapClients.erase(it);
}
