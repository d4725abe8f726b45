#pragma once
#include "doc/FtpRun.h"
#include "doc/NodeContacts.h"
#include "doc/PendingExchanges.h"
#include "link/NodeSocket.h"
#include "params/AppSettings.h"
#include "params/NodeParam.h"
#include "platform/TimerQueue.h"
#include "registry/IpSearchList.h"
#include "registry/MacIndex.h"
#include "registry/NetProperty.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class CUi;
class COperationLog;
class CMessagePump;
class CStopRequest;
class CClock;
class CFtpClient;
class CFtpPuts;
struct SNodeRequest;
struct SNodeResponse;

// What became of one request/wait exchange.
inline constexpr int EXCHANGE_DONE = 0;      // the awaited reply came with result 0
inline constexpr int EXCHANGE_ABNORMAL = -1; // it came with another result, already reported
inline constexpr int EXCHANGE_NO_REPLY = 1;  // nothing within the time-out; not reported

// What the document works with; all owned elsewhere and outliving it.
struct SDocEnv {
    CUi& ui;
    CMessagePump& pump;
    CClock& clock;
    const SAppSettings& settings;
    const NODEPARAM& defParam; // the application's default parameters
    std::string strDataPath;   // empty: no data file is read or written
    // A data file that cannot be read is moved aside (the manager tells the
    // operator and starts empty); otherwise it is left as it is and not
    // written at the end (a script is told and nothing changes).
    bool bMoveUnreadableAside = true;
    // Asked to stop at the next safe point; nullptr: never.
    const CStopRequest* pStop = nullptr;
    // Where each change to a node or the registry is recorded; nullptr: nowhere.
    COperationLog* pLog = nullptr;
};

// The one document, the coordinator: it owns the registry of networks and
// nodes, the IP-search lists and the UDP endpoint; it sends requests to
// registry nodes, waits for their replies, turns replies into registry changes
// and dialogs, and reports failures through the UI.
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
    // Empties the current network and adds vecNodes in order as AddOrUpdateNode
    // with details would, one by one (a MAC met again updates the earlier node;
    // at most 1024), but in linear time and with one view update.
    void ReplaceCurrentNodes(const std::vector<COXParam>& vecNodes);
    int16_t GetNetCount() const { return static_cast<int16_t>(m_arrNets.size()); }
    // Refreshes m_pCurNet and asks the views to redraw.
    void UpdateAllViews();
    // Counts the registry changes announced through UpdateAllViews, so that a
    // run over many nodes can tell that rows changed while it waited.
    uint32_t GetRegistryRevision() const { return m_nRegistryRevision; }

    // --- data file (DocumentFile.cpp) ---
    // Reads the data file into a cleared registry and lists: 0, or -1 after the
    // failure was reported and the registry left empty.
    int LoadDocument();
    // Writes the data file through a temporary file beside it: 0, or -1 after the
    // failure was reported; the previous file then stays whole.
    int SaveDocument();
    // False: closing leaves the data file as it is (a front end that only read it).
    void SetSaveOnClose(bool bSave) { m_bSaveOnClose = bSave; }
    // The data file could not be read and stays as it was: the closing save leaves it alone.
    bool IsDataFileUnreadable() const { return m_bSkipSave; }

    // --- operation log (DocumentLog.cpp) ---
    // One line for a change to a node (strMac; empty for a network's own
    // operation) or the registry: the operation (OPLOG_*), its outcome and
    // the message the operator was shown (UTF-8). dwIp 0: no address. The
    // current network is named; the FTP account never appears. A log that
    // cannot be written is said once per run and changes nothing else.
    void LogOperation(const char* pszOperation, const std::string& strMac, uint32_t dwIp,
                      const char* pszOutcome, const std::string& strMessage = "");
    // The same for the node at nIndex of the current network.
    void LogNodeOperation(const char* pszOperation, int nIndex, const char* pszOutcome,
                          const std::string& strMessage = "");

    // A stop was asked for: long operations end at their next safe point.
    bool IsStopRequested() const;
    // What asked for it (a signal number); 0 when nothing did.
    int GetStopReason() const;

    // --- senders (each reports a failed send itself) ---
    void SendSearch();
    int SendSearchTo(const std::string& strAddr);
    void SendInitialize(int nIndex, int nUnicast);
    void SendGetParam(int nIndex, int nUnicast);
    void SendChangeMode(int nIndex, int nMode, int nUnicast);
    void SendGetVersion(int nIndex, int nUnicast);
    void SendSetParam(const NODEPARAM& param, const COXParam& node, uint32_t dwDest);
    void SendSetParamToNode(const NODEPARAM& param, int nIndex, uint32_t dwDest);

    // --- waiting ---
    // Pumps until m_nPending differs from nState or dwTimeout ms passed; always
    // pumps at least once, and blocks on the pump instead of spinning.
    void WaitForReply(uint32_t dwTimeout, int nState);
    // The one request/wait exchange: stores nState as the pending state, runs
    // fnSend (a sender), waits for the dispatcher to settle the state and
    // leaves it at PENDING_NONE. Returns EXCHANGE_*; the caller decides what a
    // missing reply shows.
    int Exchange(int32_t nState, const std::function<void()>& fnSend, uint32_t dwTimeout);
    // Dispatches every reply for dwMs whatever the pending state (searches),
    // the ones queued while pacing first.
    void CollectReplies(uint32_t dwMs);
    // A fixed pause: replies are taken off the socket into the endpoint's
    // queue but not dispatched; DispatchQueuedDatagrams hands them on later.
    void PauseKeepingReplies(uint32_t dwMs);
    // Receive notification of the endpoint: reads one datagram and dispatches it.
    void OnReceiveDatagram();
    // Dispatches the datagrams the endpoint took off the socket while pacing.
    void DispatchQueuedDatagrams();
    static std::string GetModeName(int nMode);
    // The abnormal-response message with its detail, as the dispatcher shows it.
    static std::string AbnormalResponseText(const SNodeResponse& resp);
    // The FTP account of a get-parameters reply; an empty user is "(none)"
    // with an empty password.
    static SFtpAccount TakeFtpAccount(const SNodeResponse& resp);

    // --- several exchanges at once (runs over many nodes) ---
    // Opens an exchange with node nIndex awaiting reply wReplyCode, keyed by
    // the node's MAC, then runs fnSend (a sender); fnSettle runs later, from
    // the pump or a timer, with EXCHANGE_* and the reply. An abnormal reply is
    // not shown. The one pending state is not touched. False, with nothing
    // sent, when the node is unknown or has such an exchange open.
    bool ExchangeWithNode(int nIndex, uint16_t wReplyCode, const std::function<void()>& fnSend,
                          uint32_t dwTimeout, CPendingExchanges::FnSettle fnSettle);
    CPendingExchanges& GetExchanges() { return m_exchanges; }
    // Pauses and time limits of work that goes on beside the pump's other waits.
    CTimerQueue& GetTimers() { return m_timers; }
    // Waits up to dwMaxMs (less when a timer is due sooner) for replies and
    // whatever else the pump watches, dispatches them and runs the due timers.
    void WaitForEvents(uint32_t dwMaxMs);

    // While held, view updates are gathered into one at the end (a search
    // brings thousands of replies; each need not rebuild the list).
    void HoldViewUpdates();
    void ReleaseViewUpdates();
    // MACs of new nodes refused because the network was full, since the last clear.
    std::set<std::string> m_setRefusedMacs;
    // Who answered which search, in memory only.
    CNodeContacts m_contacts;

    // --- FTP runs (FtpRunner.cpp) ---
    // Puts one local file on the node; FTPRUN_*. nShowListing 1 shows the
    // node's listing afterwards.
    int RunFtpPut(const std::string& strHost, const std::string& strLocalPath,
                  const std::string& strUser, const std::string& strPassword, int nShowListing);
    // Shows the node's listing: FTPRUN_NO_SESSION, FTPRUN_NO_CONNECTION,
    // FTPRUN_UNSAFE_TEXT or FTPRUN_OK.
    int RunFtpListing(const std::string& strHost, const std::string& strUser,
                      const std::string& strPassword);
    // Lets the operator choose installed applications and deletes them.
    int RunFtpDeleteSelection(const std::string& strHost, const std::string& strUser,
                              const std::string& strPassword);
    // Deletes one file on the node; note the order, account first.
    void RunFtpDelete(const std::string& strUser, const std::string& strPassword,
                      const std::string& strHost, const std::string& strFileName, int nShowListing);
    bool CreateFtpClient();
    // Connects m_pFtpClient; shows the failure's text (or "FTP接続失敗").
    bool CheckFtpConnection(const std::string& strHost, const std::string& strUser,
                            const std::string& strPassword);
    // Closes and deletes m_pFtpClient.
    void ReleaseFtpClient();
    // The confirmation of a deletion, one line per name (CP932 names).
    static std::string ComposeDeleteConfirmation(const std::vector<std::string>& vecNames);
    void SetFtpRunEnv(SFtpRunEnv env);
    const SFtpRunEnv& GetFtpRunEnv() const { return m_ftpEnv; }
    // Several puts at once, none blocking the pump (the run env's, if it names them).
    std::unique_ptr<CFtpPuts> CreateFtpPuts();
    // What the last put's client reported of the transfer (the server's reply).
    const SFtpReply& GetFtpReply() const { return m_ftpReply; }
    int32_t m_nFtpScriptCount = 0;
    std::unique_ptr<CFtpClient> m_pFtpClient;

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
    // Sends a composed request; reports a failure.
    bool SendRequest(const SNodeRequest& req, uint32_t dwIp);
    // A broadcast that found the chosen interface gone says so, once.
    void ReportMissingInterface();
    // A header-only request to the node at nIndex of the current network.
    void SendShortToNode(uint16_t wCode, int nIndex, int nUnicast);
    static uint32_t NodeDestination(const COXParam& node, int nUnicast);

    void DispatchResponse(const SNodeResponse& resp);
    void ShowAbnormalResponse(const SNodeResponse& resp);
    // Pending state 0, or -1 after the abnormal-response message.
    void SettleWithResult(const SNodeResponse& resp);
    // 0x0203 while the node settings are awaited: the dialog, the set and its reply.
    void RunSettingsExchange(const SNodeResponse& resp);

    // Create, check and release: FTPRUN_OK, FTPRUN_NO_SESSION or FTPRUN_NO_CONNECTION.
    int CheckFtpAccount(const std::string& strHost, const std::string& strUser,
                        const std::string& strPassword);
    // The account check, then the listing script under the wait cursor (and
    // dwPauseAfter ms more): FTPRUN_OK with the run's result and listing, or
    // the failure already reported.
    int CheckAndListFiles(const std::string& strHost, const std::string& strUser,
                          const std::string& strPassword, uint32_t dwPauseAfter, int& nRunResult,
                          std::optional<std::string>& listing);

    static bool DocumentFileExists(const std::string& strPath);
    // Moves an unreadable data file aside so that the exit's save cannot overwrite it.
    std::string KeepUnreadableFile();

    SDocEnv m_env;
    bool m_bSkipSave = false; // an unreadable file stays where it is: never overwritten
    bool m_bSaveOnClose = true;
    std::unique_ptr<CNodeSocket> m_pSocket;
    int m_nViewHold = 0;
    uint32_t m_nRegistryRevision = 0;
    CMacIndex m_macIndex;
    bool m_bViewUpdateMissed = false;
    SFtpRunEnv m_ftpEnv;
    SFtpReply m_ftpReply;
    CTimerQueue m_timers; // before the exchanges, which cancel their timers
    CPendingExchanges m_exchanges;
};
