#pragma once
#include "link/NodeSocket.h"
#include "params/AppSettings.h"
#include "params/NodeParam.h"
#include "registry/IpSearchList.h"
#include "registry/NetProperty.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CUi;
class CMessagePump;
class CClock;

// What the document works with; all owned elsewhere and outliving it.
struct SDocEnv {
    CUi& ui;
    CMessagePump& pump;
    CClock& clock;
    const SAppSettings& settings;
    const NODEPARAM& defParam; // the application's default parameters
    std::string strDataPath;   // empty: no data file is read or written
};

// The one document: the registry of networks and nodes, the IP-search lists
// and the UDP endpoint. Its operations live in the layer they belong to:
// registry (OrvixDoc.cpp), link senders and waits (link/), dispatch (link/).
class COrvixDoc {
public:
    COrvixDoc(const SDocEnv& env, std::unique_ptr<CDatagramSocket> pSocket);
    ~COrvixDoc();
    COrvixDoc(const COrvixDoc&) = delete;
    COrvixDoc& operator=(const COrvixDoc&) = delete;

    // --- registry ---
    void AddNetwork(const std::string& strName, uint32_t dwMask, uint32_t dwGateway);
    void DeleteCurrentNetwork();
    void SelectNetwork(uint32_t nCommandId);
    COXParam* GetNode(int nIndex);
    // False when the node was new and the network is full (1024 nodes).
    bool AddOrUpdateNode(int nModel, uint32_t dwIp, const std::string& strMac, bool bWithDetails,
                         const std::string& strSerial, const std::string& strRemarks);
    void DeleteNode(int nIndex);
    void UpdateNodeDetails(int nIndex, const std::string& strSerial, const std::string& strRemarks);
    void SetAssignmentBase(uint32_t dwBaseIp, int nIncrement);
    // Removes every node of the current network (refresh search).
    void ClearCurrentNodes();
    int16_t GetNetCount() const { return static_cast<int16_t>(m_arrNets.size()); }
    // Refreshes m_pCurNet and asks the views to redraw.
    void UpdateAllViews();

    // --- data file (DocumentFile.cpp) ---
    // Reads the data file into a cleared registry and lists: 0, or -1 after the
    // failure was reported and the registry left empty.
    int LoadDocument();
    // Writes the data file through a temporary file beside it: 0, or -1 after the
    // failure was reported; the previous file then stays whole.
    int SaveDocument();

    // --- link: senders (each reports a failed send itself) ---
    void SendSearch();
    int SendSearchTo(const std::string& strAddr);
    void SendInitialize(int nIndex, int nUnicast);
    void SendGetParam(int nIndex, int nUnicast);
    void SendChangeMode(int nIndex, int nMode, int nUnicast);
    void SendGetVersion(int nIndex, int nUnicast);
    void SendSetParam(const NODEPARAM& param, const COXParam& node, uint32_t dwDest);
    void SendSetParamToNode(const NODEPARAM& param, int nIndex, uint32_t dwDest);

    // --- link: waiting ---
    // Pumps until m_nPending differs from nState or dwTimeout ms passed; always
    // pumps at least once, and blocks on the pump instead of spinning.
    void WaitForReply(uint32_t dwTimeout, int nState);
    // Receive notification of the endpoint: reads one datagram and dispatches it.
    void OnReceiveDatagram();
    // Dispatches the datagrams the endpoint took off the socket while pacing.
    void DispatchQueuedDatagrams();
    static std::string GetModeName(int nMode);

    // While held, view updates are gathered into one at the end (a search
    // brings thousands of replies; each need not rebuild the list).
    void HoldViewUpdates();
    void ReleaseViewUpdates();
    // MACs of new nodes refused because the network was full, since the last clear.
    std::set<std::string> m_setRefusedMacs;

    CNodeSocket& GetSocket() { return *m_pSocket; }
    const SDocEnv& GetEnv() const { return m_env; }

    // Registry members.
    CNetProperty* m_pCurNet = nullptr;
    int16_t m_nCurNet = -1;
    std::vector<std::unique_ptr<CNetProperty>> m_arrNets;

    // IP search: the registered addresses and the search targets.
    std::vector<CIpSearchList> m_listIpAddr;
    std::vector<CIpSearchList> m_listSearchTarget;

private:
    // The network at m_nCurNet, or none.
    CNetProperty* CurrentNetwork();
    // Sends the first nLen bytes of a composed request; reports a failure.
    bool SendRequest(const uint8_t* pBuf, size_t nLen, uint32_t dwIp);
    // Composes the header of a request to the node at nIndex of the current network.
    bool ComposeForNode(uint8_t* pBuf, uint16_t wCode, int nIndex);
    uint32_t NodeDestination(int nIndex, int nUnicast);

    void DispatchResponse(uint8_t* pData, size_t nLen, uint32_t dwSenderIp);
    void ShowAbnormalResponse(const uint8_t* pData);
    // 0x0203 while the node settings are awaited: the dialog, the set and its reply.
    void RunSettingsExchange(uint8_t* pData);
    // Pacing pause after a probe that keeps reading replies off the socket.
    void PaceAfterProbe();

    static bool DocumentFileExists(const std::string& strPath);
    // Moves an unreadable data file aside so that the exit's save cannot overwrite it.
    std::string KeepUnreadableFile();

    SDocEnv m_env;
    bool m_bSkipSave = false; // an unreadable file could not be moved aside
    std::unique_ptr<CNodeSocket> m_pSocket;
    int m_nViewHold = 0;
    bool m_bViewUpdateMissed = false;
};
