#pragma once
// A rollout: one image into many nodes, up to N of them in flight at once.
// Each node goes the batch download's way (account, mode change, restart
// pause, put, back to mode 0, with its messages, refusal witness and safety
// rules) and is then checked by its version information. When one node
// finishes the next starts: a pipeline on the one thread and the pump, its
// replies routed by node, its pauses timers, its clients awaited through the
// pump. The window's batch is not this; it stays one node after another.
#include "ops/MotImage.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class COrvixDoc;
class CFtpPuts;
struct SNodeResponse;
struct SFtpPutOutcome;
struct SVersionInfo;

// At most this many nodes in flight.
inline constexpr size_t ROLLOUT_MAX_PARALLEL = 64;

// Results of a node besides DLRESULT_* and FTPRUN_*: its version
// information did not list what it was given.
inline constexpr int DLRESULT_NOT_VERIFIED = 13;

enum class ERolloutResult {
    Waiting, // not finished
    Loaded,  // loaded, back in operation and checked
    Failed,  // not loaded (the reason says why), or loaded but not back in operation
    NotDone, // a stop came first: untouched, or back in operation without the transfer
};

// What became of one node.
struct SRolloutNode {
    std::string strMac;
    uint32_t dwIp = 0;
    ERolloutResult eResult = ERolloutResult::Waiting;
    int nFailure = 0;         // DLRESULT_* or FTPRUN_* of the last attempt; 0 when loaded
    std::string strState;     // the batch row's state at the end (UTF-8)
    std::string strReason;    // what went wrong, in the manager's words (lines)
    bool bLeftInMode = false; // may still be in its download mode
    bool bNotBack = false;    // the file went in, but the node did not come back to operation
    int nAttempts = 0;
    uint32_t dwMs = 0;       // time spent on it, all attempts
    std::string strReadBack; // what its version information lists of the image
    bool bByVersion = false; // checked by name and version (else by the witness and mode 0)
};

struct SRolloutCounts {
    size_t nLoaded = 0;
    size_t nFailed = 0;
    size_t nInFlight = 0;
    size_t nRemaining = 0; // waiting to start, retries included
    bool bEtaKnown = false;
    uint32_t dwEtaMs = 0;
};

struct SRolloutPlan {
    std::string strPath; // the image, checked before
    int nKind = 0;       // DOWNLOAD_KERNEL or DOWNLOAD_APPLICATION
    size_t nParallel = 1;
    int nRetry = 0; // further attempts of a node that failed
};

class CRollout {
public:
    using FnNode = std::function<void(const SRolloutNode&)>;
    using FnCounts = std::function<void(const SRolloutCounts&)>;

    // vecMacs: the nodes of the current network, in order.
    CRollout(COrvixDoc& doc, SRolloutPlan plan, const std::vector<std::string>& vecMacs);
    ~CRollout();
    CRollout(const CRollout&) = delete;
    CRollout& operator=(const CRollout&) = delete;

    // Told each node's end, and the counts whenever they change (and at
    // least once a second while the run goes on).
    void OnNodeDone(FnNode fn) { m_fnNodeDone = std::move(fn); }
    void OnCounts(FnCounts fn) { m_fnCounts = std::move(fn); }

    // Runs to the end, or to the safe point after a stop: nodes in hand
    // finish their exchange or transfer and go back to operation, no new
    // one starts. Then says, as the batch does, which nodes did not come
    // back to operation, and that all went well when they did.
    void Run();

    const std::vector<SRolloutNode>& GetNodes() const { return m_vecNodes; }
    SRolloutCounts GetCounts();

private:
    struct SFlight;
    using FnStep = std::function<void(int nResult)>;

    void Start(size_t nNode);
    // The shared steps, each ending in fnNext with 0, DLRESULT_ABNORMAL or
    // DLRESULT_NO_RESPONSE (the reason noted).
    void FetchAccount(size_t nNode, int nTries, FnStep fnNext);
    void ChangeMode(size_t nNode, int nMode, FnStep fnNext);
    void ReturnToOperation(size_t nNode, FnStep fnNext);
    void AfterKernelAccount(size_t nNode, int nResult);
    void EnterDownloadMode(size_t nNode);
    void AfterRestart(size_t nNode);
    void Put(size_t nNode);
    void AfterPut(size_t nNode, const SFtpPutOutcome& outcome);
    void Verify(size_t nNode, int nTries);
    void CheckVersion(size_t nNode, const SVersionInfo& info);

    // The node's end: eResult with the state and reason; a failure is tried
    // again later while attempts are left.
    void Finish(size_t nNode, ERolloutResult eResult, int nFailure, const char* pszState,
                const std::string& strReason);
    // Back to operation without the transfer: not done.
    void StopInMode(size_t nNode);
    bool Settled(size_t nNode, int nOutcome, const SNodeResponse* pReply, int& nResult);
    SFlight* Flight(size_t nNode);
    void TellCounts();

    COrvixDoc& m_doc;
    SRolloutPlan m_plan;
    SImageIdentity m_image;
    std::string m_strFileName; // the image's name without its folder
    std::vector<SRolloutNode> m_vecNodes;
    std::deque<size_t> m_deqWaiting;
    std::map<size_t, std::unique_ptr<SFlight>> m_mapFlights;
    std::unique_ptr<CFtpPuts> m_pPuts;
    uint32_t m_dwTimeout = 0;
    int m_nAccountTries = 1;
    uint64_t m_qwAttemptMs = 0; // over the attempts that ended
    size_t m_nAttemptsEnded = 0;
    FnNode m_fnNodeDone;
    FnCounts m_fnCounts;
};

// Whether the version information lists the image just loaded: by name and
// version where the image's header carries them (the name it has there, or
// the file's name with or without its extension, as a node may keep it);
// otherwise the witness of the transfer stands. strReadBack: what it lists
// of it ("TESTAPP V1.02", "ｶｰﾈﾙ V2.10"), or all it lists when nothing fits.
bool ListsImage(const SVersionInfo& info, const SImageIdentity& image,
                const std::string& strFileName, bool bKernel, std::string& strReadBack,
                bool& bByVersion);
