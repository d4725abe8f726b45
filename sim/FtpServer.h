#pragma once
// The nodes' FTP servers: one listener per node address whose node is in a
// download mode, control connections driven by CSimFtpSession, and the data
// connections (active and passive) that carry listings and uploads.
#include "FtpSession.h"
#include "SimControl.h"
#include "SimLoop.h"

#include <map>
#include <memory>
#include <string>

class CSimFtpServer {
public:
    CSimFtpServer(CSimLoop& loop, SimNodeList& nodes, uint16_t wPort, bool bLoopbackOnly,
                  bool bVerbose);
    ~CSimFtpServer();

    // Opens and closes listeners and drops sessions so that exactly the nodes
    // whose FTP is up are served, each at its present address.
    void Reconcile();

private:
    struct SConn;
    void OnAccept(uint32_t dwIp, int fdListen);
    void OnControl(SConn& conn, short nRevents);
    void ProcessLines(SConn& conn);
    void StartTransfer(SConn& conn);
    void OnData(SConn& conn, short nRevents);
    void FinishTransfer(SConn& conn, bool bOk);
    void ReplyToTransfer(SConn& conn, EFtpData eData, bool bOk);
    void OnPassiveAccept(SConn& conn);
    void Send(SConn& conn, const std::string& str);
    void UpdateControlEvents(SConn& conn);
    void Close(int fdCtrl);
    void CloseData(SConn& conn);

    CSimLoop& m_loop;
    SimNodeList& m_nodes;
    uint16_t m_wPort;
    bool m_bLoopbackOnly;
    bool m_bVerbose;
    std::map<uint32_t, int> m_mapListeners;           // node address -> listening socket
    std::map<int, std::unique_ptr<SConn>> m_mapConns; // by control socket
};
