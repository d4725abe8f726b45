#include "FtpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace {
sockaddr_in Address(uint32_t dwIp, uint16_t wPort) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(dwIp);
    sa.sin_port = htons(wPort);
    return sa;
}

int OpenListener(uint32_t dwIp, uint16_t wPort) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    int nOn = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &nOn, sizeof nOn);
    sockaddr_in sa = Address(dwIp, wPort);
    if (bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(fd, 16) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool IsLoopback(uint32_t dwIp) {
    return (dwIp >> 24) == 127;
}
} // namespace

// Holding: an upload that arrived waits out a slow transfer before its reply.
enum class EDataState { None, Connecting, WaitAccept, Sending, Receiving, Holding };

struct CSimFtpServer::SConn {
    int fdCtrl = -1;
    CSimNode* pNode = nullptr;
    uint32_t dwNodeIp = 0;
    std::unique_ptr<CSimFtpSession> pSession;
    std::string strIn;
    std::string strOut;
    bool bCloseAfterFlush = false;
    int fdPassive = -1;
    int fdData = -1;
    EDataState eState = EDataState::None;
    EFtpData eData = EFtpData::None;
    std::string strDataOut;
    size_t nDataSent = 0;
    std::string strDataIn;
    bool bDataOpen = false;  // the data connection of this transfer was made
    uint64_t nHoldTimer = 0; // while Holding
};

CSimFtpServer::CSimFtpServer(CSimLoop& loop, SimNodeList& nodes, uint16_t wPort, bool bLoopbackOnly,
                             bool bVerbose)
    : m_loop(loop), m_nodes(nodes), m_wPort(wPort), m_bLoopbackOnly(bLoopbackOnly),
      m_bVerbose(bVerbose) {}

CSimFtpServer::~CSimFtpServer() {
    while (!m_mapConns.empty()) {
        Close(m_mapConns.begin()->first);
    }
    for (const auto& [dwIp, fd] : m_mapListeners) {
        m_loop.Unwatch(fd);
        close(fd);
    }
}

void CSimFtpServer::Reconcile() {
    uint64_t nNow = m_loop.Now();
    std::set<uint32_t> setWanted;
    for (const auto& pNode : m_nodes) {
        if (pNode->IsFtpUp(nNow)) {
            setWanted.insert(pNode->Ip());
        }
    }
    // Sessions whose node went down, restarted or moved end at once.
    std::vector<int> vecDrop;
    for (const auto& [fd, pConn] : m_mapConns) {
        if (!pConn->pNode->IsFtpUp(nNow) || pConn->pNode->Ip() != pConn->dwNodeIp) {
            vecDrop.push_back(fd);
        }
    }
    for (int fd : vecDrop) {
        Close(fd);
    }
    for (auto it = m_mapListeners.begin(); it != m_mapListeners.end();) {
        if (setWanted.count(it->first) == 0) {
            m_loop.Unwatch(it->second);
            close(it->second);
            it = m_mapListeners.erase(it);
        } else {
            ++it;
        }
    }
    for (uint32_t dwIp : setWanted) {
        if (m_mapListeners.count(dwIp) != 0) {
            continue;
        }
        int fd = OpenListener(dwIp, m_wPort);
        if (fd < 0) {
            std::fprintf(stderr, "mrvsim: cannot listen on %s:%u: %s\n", SimIpToText(dwIp).c_str(),
                         m_wPort, std::strerror(errno));
            continue;
        }
        m_mapListeners[dwIp] = fd;
        m_loop.Watch(fd, POLLIN, [this, dwIp, fd](short) { OnAccept(dwIp, fd); });
    }
}

void CSimFtpServer::OnAccept(uint32_t dwIp, int fdListen) {
    sockaddr_in sa{};
    socklen_t nLen = sizeof sa;
    int fd =
        accept4(fdListen, reinterpret_cast<sockaddr*>(&sa), &nLen, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    uint32_t dwPeer = ntohl(sa.sin_addr.s_addr);
    if (m_bLoopbackOnly && !IsLoopback(dwPeer)) {
        close(fd);
        return;
    }
    // Several nodes may share an address; the first whose FTP is up serves it.
    CSimNode* pNode = nullptr;
    uint64_t nNow = m_loop.Now();
    for (const auto& p : m_nodes) {
        if (p->Ip() == dwIp && p->IsFtpUp(nNow)) {
            pNode = p.get();
            break;
        }
    }
    if (pNode == nullptr) {
        close(fd);
        return;
    }
    auto pConn = std::make_unique<SConn>();
    pConn->fdCtrl = fd;
    pConn->pNode = pNode;
    pConn->dwNodeIp = dwIp;
    pConn->pSession = std::make_unique<CSimFtpSession>(*pNode, dwPeer);
    SConn& conn = *pConn;
    m_mapConns[fd] = std::move(pConn);
    m_loop.Watch(fd, POLLIN, [this, &conn](short nRevents) { OnControl(conn, nRevents); });
    Send(conn, CSimFtpSession::Greeting());
}

void CSimFtpServer::Send(SConn& conn, const std::string& str) {
    if (m_bVerbose && !str.empty()) {
        std::fprintf(stderr, "mrvsim: ftp %s > %s", SimIpToText(conn.dwNodeIp).c_str(),
                     str.c_str());
    }
    conn.strOut += str;
    UpdateControlEvents(conn);
}

void CSimFtpServer::UpdateControlEvents(SConn& conn) {
    m_loop.SetEvents(conn.fdCtrl, short(POLLIN | (conn.strOut.empty() ? 0 : POLLOUT)));
}

void CSimFtpServer::OnControl(SConn& conn, short nRevents) {
    int fd = conn.fdCtrl;
    if (nRevents & POLLOUT) {
        ssize_t n = send(fd, conn.strOut.data(), conn.strOut.size(), MSG_NOSIGNAL);
        if (n > 0) {
            conn.strOut.erase(0, size_t(n));
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            Close(fd);
            return;
        }
        if (conn.strOut.empty() && conn.bCloseAfterFlush) {
            Close(fd);
            return;
        }
        UpdateControlEvents(conn);
    }
    if (nRevents & (POLLIN | POLLHUP | POLLERR)) {
        char buf[4096];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            Close(fd);
            return;
        }
        if (n > 0) {
            conn.strIn.append(buf, size_t(n));
            if (conn.strIn.size() > 65536) {
                Close(fd);
                return;
            }
            ProcessLines(conn);
        }
    }
}

void CSimFtpServer::ProcessLines(SConn& conn) {
    // One command at a time: a transfer in progress holds back what follows.
    while (conn.eState == EDataState::None && !conn.bCloseAfterFlush) {
        size_t nEnd = conn.strIn.find('\n');
        if (nEnd == std::string::npos) {
            return;
        }
        std::string strLine = conn.strIn.substr(0, nEnd);
        conn.strIn.erase(0, nEnd + 1);
        if (!strLine.empty() && strLine.back() == '\r') {
            strLine.pop_back();
        }
        conn.pNode->NoteFtpCommand(strLine);
        // Telnet commands (IAC ...) that an aborting client sends are no part of a command.
        std::string strClean;
        for (size_t i = 0; i < strLine.size(); ++i) {
            if (uint8_t(strLine[i]) == 0xFF && i + 1 < strLine.size()) {
                ++i;
                continue;
            }
            strClean += strLine[i];
        }
        if (m_bVerbose) {
            std::fprintf(stderr, "mrvsim: ftp %s < %s\n", SimIpToText(conn.dwNodeIp).c_str(),
                         strClean.c_str());
        }
        SFtpStep step = conn.pSession->OnLine(strClean);
        if (step.bOpenPassive) {
            CloseData(conn);
            int fdListen = OpenListener(conn.dwNodeIp, 0);
            sockaddr_in sa{};
            socklen_t nLen = sizeof sa;
            if (fdListen < 0 ||
                getsockname(fdListen, reinterpret_cast<sockaddr*>(&sa), &nLen) != 0) {
                if (fdListen >= 0) {
                    close(fdListen);
                }
                Send(conn, "425 Cannot open passive connection.\r\n");
                continue;
            }
            conn.fdPassive = fdListen;
            m_loop.Watch(fdListen, POLLIN, [this, &conn](short) { OnPassiveAccept(conn); });
            Send(conn, conn.pSession->PassiveReply(conn.dwNodeIp, ntohs(sa.sin_port)));
            continue;
        }
        Send(conn, step.strReply);
        if (step.bClose) {
            conn.bCloseAfterFlush = true;
            return;
        }
        if (step.eData != EFtpData::None) {
            conn.eData = step.eData;
            conn.strDataOut = std::move(step.strData);
            conn.nDataSent = 0;
            conn.strDataIn.clear();
            StartTransfer(conn);
        }
    }
}

void CSimFtpServer::StartTransfer(SConn& conn) {
    if (conn.pSession->IsPassive()) {
        if (conn.fdData >= 0) {
            conn.eState =
                conn.eData == EFtpData::Send ? EDataState::Sending : EDataState::Receiving;
            conn.bDataOpen = true;
            m_loop.SetEvents(conn.fdData, conn.eState == EDataState::Sending ? POLLOUT : POLLIN);
        } else {
            conn.eState = EDataState::WaitAccept;
        }
        return;
    }
    uint32_t dwTarget = conn.pSession->ActiveIp();
    if (m_bLoopbackOnly && !IsLoopback(dwTarget)) {
        FinishTransfer(conn, false);
        return;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in saLocal = Address(conn.dwNodeIp, 0);
    sockaddr_in saTarget = Address(dwTarget, conn.pSession->ActivePort());
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&saLocal), sizeof saLocal) != 0 ||
        (connect(fd, reinterpret_cast<sockaddr*>(&saTarget), sizeof saTarget) != 0 &&
         errno != EINPROGRESS)) {
        if (fd >= 0) {
            close(fd);
        }
        FinishTransfer(conn, false);
        return;
    }
    conn.fdData = fd;
    conn.eState = EDataState::Connecting;
    m_loop.Watch(fd, POLLOUT, [this, &conn](short nRevents) { OnData(conn, nRevents); });
}

void CSimFtpServer::OnPassiveAccept(SConn& conn) {
    int fd = accept4(conn.fdPassive, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    m_loop.Unwatch(conn.fdPassive);
    close(conn.fdPassive);
    conn.fdPassive = -1;
    conn.fdData = fd;
    m_loop.Watch(fd, 0, [this, &conn](short nRevents) { OnData(conn, nRevents); });
    if (conn.eState == EDataState::WaitAccept) {
        StartTransfer(conn);
    }
}

void CSimFtpServer::OnData(SConn& conn, short nRevents) {
    if (conn.eState == EDataState::None || conn.eState == EDataState::WaitAccept) {
        // An accepted passive connection that the client dropped before using it.
        if (nRevents & (POLLERR | POLLHUP)) {
            m_loop.Unwatch(conn.fdData);
            close(conn.fdData);
            conn.fdData = -1;
        }
        return;
    }
    if (conn.eState == EDataState::Connecting) {
        int nError = 0;
        socklen_t nLen = sizeof nError;
        getsockopt(conn.fdData, SOL_SOCKET, SO_ERROR, &nError, &nLen);
        if (nError != 0 || (nRevents & (POLLERR | POLLHUP))) {
            FinishTransfer(conn, false);
            return;
        }
        conn.eState = conn.eData == EFtpData::Send ? EDataState::Sending : EDataState::Receiving;
        conn.bDataOpen = true;
        m_loop.SetEvents(conn.fdData, conn.eState == EDataState::Sending ? POLLOUT : POLLIN);
        return;
    }
    if (conn.eState == EDataState::Sending) {
        if (conn.nDataSent < conn.strDataOut.size()) {
            ssize_t n = send(conn.fdData, conn.strDataOut.data() + conn.nDataSent,
                             conn.strDataOut.size() - conn.nDataSent, MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                FinishTransfer(conn, false);
                return;
            }
            conn.nDataSent += n > 0 ? size_t(n) : 0;
        }
        if (conn.nDataSent >= conn.strDataOut.size()) {
            FinishTransfer(conn, true);
        }
        return;
    }
    if (conn.eState == EDataState::Receiving) {
        char buf[16384];
        ssize_t n = recv(conn.fdData, buf, sizeof buf, 0);
        if (n > 0) {
            conn.strDataIn.append(buf, size_t(n));
            if (conn.strDataIn.size() > FTP_MAX_UPLOAD) {
                FinishTransfer(conn, false);
            }
        } else if (n == 0) {
            FinishTransfer(conn, true);
        } else if (errno != EAGAIN && errno != EINTR) {
            FinishTransfer(conn, false);
        }
    }
}

void CSimFtpServer::CloseData(SConn& conn) {
    if (conn.fdData >= 0) {
        m_loop.Unwatch(conn.fdData);
        close(conn.fdData);
        conn.fdData = -1;
    }
    if (conn.fdPassive >= 0) {
        m_loop.Unwatch(conn.fdPassive);
        close(conn.fdPassive);
        conn.fdPassive = -1;
    }
}

void CSimFtpServer::FinishTransfer(SConn& conn, bool bOk) {
    EFtpData eData = conn.eData;
    CloseData(conn);
    conn.eData = EFtpData::None;
    unsigned nSlowMs = conn.pNode->m_faults.nSlowMs;
    if (bOk && eData == EFtpData::Receive && nSlowMs > 0) {
        // A slow transfer: the upload ends, and is taken, only this much later;
        // the client waits for the reply meanwhile.
        conn.eState = EDataState::Holding;
        int fdCtrl = conn.fdCtrl;
        conn.nHoldTimer = m_loop.AddTimer(nSlowMs, [this, fdCtrl] {
            auto it = m_mapConns.find(fdCtrl);
            if (it == m_mapConns.end()) {
                return;
            }
            SConn& held = *it->second;
            held.nHoldTimer = 0;
            held.eState = EDataState::None;
            ReplyToTransfer(held, EFtpData::Receive, true);
        });
        return;
    }
    conn.eState = EDataState::None;
    ReplyToTransfer(conn, eData, bOk);
}

void CSimFtpServer::ReplyToTransfer(SConn& conn, EFtpData eData, bool bOk) {
    std::string strReply;
    if (eData == EFtpData::Send) {
        strReply = conn.pSession->OnSendDone(bOk);
    } else {
        strReply = bOk ? conn.pSession->OnReceiveDone(true, conn.strDataIn)
                       : conn.pSession->OnReceiveDone(false, {});
    }
    conn.strDataIn.clear();
    conn.strDataOut.clear();
    if (!bOk && !conn.bDataOpen) {
        strReply = "425 Can't open data connection.\r\n";
    }
    conn.bDataOpen = false;
    Send(conn, strReply);
    ProcessLines(conn);
}

void CSimFtpServer::Close(int fdCtrl) {
    auto it = m_mapConns.find(fdCtrl);
    if (it == m_mapConns.end()) {
        return;
    }
    CloseData(*it->second);
    if (it->second->nHoldTimer != 0) {
        m_loop.CancelTimer(it->second->nHoldTimer);
    }
    m_loop.Unwatch(fdCtrl);
    close(fdCtrl);
    m_mapConns.erase(it);
}
