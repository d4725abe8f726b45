#pragma once
// The control channel's line protocol: tests and operators set faults and
// settings on running nodes and read their whole state back.
//
// Requests, one per line; a reply is zero or more lines and then "OK" or
// "ERR <reason>". NODE is a MAC (12 hex digits), "#<index>" or "*" (all).
//   PING                          OK
//   LIST                          "<index> <MAC> <ip> <mode> <up|restarting>" per node
//   STATE NODE                    the node's dump (CSimNode::Dump) per node
//   HISTORY NODE [CLEAR]          the requests the node received, oldest first
//   FTPLOG NODE [CLEAR]           the FTP command lines the node received, oldest first,
//                                 without line ends; \ and bytes outside 0x20..0x7E as
//                                 \\ and \xNN
//   FAULT NODE NAME [VALUE...]    see SSimFaults::Set; "FAULT NODE clear" removes all
//   SET NODE KEY VALUE            see CSimNode::Set (the value is the rest of the line)
//   WAIT NODE COND... [timeout=MS] OK once every COND holds, "ERR timeout" after MS
//                                 (default 10000); COND is mode=M, ip=A, run=up|restarting,
//                                 ftp=up|down, seen=N (at least N requests in the history),
//                                 file=NAME, nofile=NAME
//   SHUTDOWN                      OK, then the simulator ends
#include "SimNode.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using SimNodeList = std::vector<std::unique_ptr<CSimNode>>;

struct SSimWait {
    CSimNode* pNode = nullptr;
    std::vector<std::pair<std::string, std::string>> vecConds;
    uint64_t nDeadline = 0;
};

struct SSimControlReply {
    std::string strText; // complete, with its OK/ERR line, unless bWait
    bool bWait = false;  // the reply comes when m_wait holds or times out
    SSimWait wait;
    bool bShutdown = false;
};

class CSimControl {
public:
    // fnChanged is told of every node whose address, mode or restart a request changed,
    // with its address from before.
    CSimControl(SimNodeList& nodes, std::function<void(CSimNode&, uint32_t)> fnChanged);

    SSimControlReply Execute(const std::string& strLine, uint64_t nNow);
    static bool WaitHolds(const SSimWait& wait, uint64_t nNow);

private:
    bool Select(const std::string& strSel, std::vector<CSimNode*>& vecNodes,
                std::string& strError) const;

    SimNodeList& m_nodes;
    std::function<void(CSimNode&, uint32_t)> m_fnChanged;
};
