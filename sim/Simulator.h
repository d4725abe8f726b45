#pragma once
// The simulator process: one UDP socket on the device port that receives for
// every node address and for broadcasts (IP_PKTINFO tells which) and sends each
// reply from its node's own address; the FTP servers; the control channel.
#include "FtpServer.h"
#include "SimControl.h"
#include "SimLoop.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct SSimOptions {
    std::string strControl; // Unix socket path of the control channel; empty: none
    uint16_t wUdpPort = NODE_DEVICE_PORT;
    uint16_t wFtpPort = 21;
    bool bLoopbackOnly = false; // serve only loopback peers (outside a test network)
    bool bVerbose = false;
};

class CSimulator {
public:
    CSimulator(const SSimOptions& options, SimNodeList nodes);
    ~CSimulator();

    bool Start(std::string& strError);
    void Run() { m_loop.Run(); }
    void Stop() { m_loop.Stop(); }
    CSimLoop& Loop() { return m_loop; }
    size_t NodeCount() const { return m_nodes.size(); }

private:
    struct SPendingSend {
        uint32_t dwFrom;
        uint32_t dwTo;
        uint16_t wToPort;
        SimBytes vecData;
    };
    struct SControlClient {
        int fd = -1;
        std::string strIn;
        std::string strOut;
        bool bWaiting = false;
        SSimWait wait;
        uint64_t nTimer = 0;
    };

    void OnUdp();
    void SendReply(uint32_t dwFrom, uint32_t dwTo, uint16_t wToPort, const SimBytes& vecData);
    bool TrySend(const SPendingSend& send);
    void OnUdpWritable();
    void OnNodeChanged(CSimNode& node, uint32_t dwOldIp);
    void Index(CSimNode& node);
    void Unindex(CSimNode& node, uint32_t dwIp);

    void OnControlAccept();
    void OnControlClient(int fd, short nRevents);
    void RunControlLines(SControlClient& client);
    void CheckWaits();
    void CloseControlClient(int fd);
    void FlushControl(SControlClient& client);

    SSimOptions m_options;
    SimNodeList m_nodes;
    CSimLoop m_loop;
    CSimFtpServer m_ftp;
    CSimControl m_control;
    int m_fdUdp = -1;
    int m_fdControl = -1;
    std::unordered_map<uint32_t, std::vector<CSimNode*>> m_mapByIp;
    std::deque<SPendingSend> m_deqPending;
    std::map<int, std::unique_ptr<SControlClient>> m_mapClients;
    std::map<CSimNode*, uint64_t> m_mapWakeTimers;
};
