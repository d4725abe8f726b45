// The rollout's pipeline: the queue of nodes, the slots in flight, the ends
// and the counts. The steps of one node are in RolloutSteps.cpp.
#include "ops/Rollout.h"

#include "doc/FtpPuts.h"
#include "doc/OrvixDoc.h"
#include "ops/NodeDownload.h"
#include "ops/RolloutFlight.h"
#include "platform/Clock.h"
#include "platform/IpText.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <cstdio>

namespace {
// The counts are told at least this often while nothing else happens.
constexpr uint32_t ROLLOUT_TICK_MS = 1000;

int FindNodeByMac(COrvixDoc& doc, const std::string& strMac) {
    for (int i = 0; const COXParam* pNode = doc.GetNode(i); ++i) {
        if (pNode->m_strMac == strMac) {
            return i;
        }
    }
    return -1;
}
} // namespace

CRollout::CRollout(COrvixDoc& doc, SRolloutPlan plan, const std::vector<std::string>& vecMacs)
    : m_doc(doc), m_plan(std::move(plan)) {
    if (m_plan.nParallel < 1) {
        m_plan.nParallel = 1;
    }
    if (m_plan.nParallel > ROLLOUT_MAX_PARALLEL) {
        m_plan.nParallel = ROLLOUT_MAX_PARALLEL;
    }
    m_image = ReadImageIdentity(m_plan.strPath);
    size_t nSlash = m_plan.strPath.rfind('/');
    m_strFileName =
        nSlash == std::string::npos ? m_plan.strPath : m_plan.strPath.substr(nSlash + 1);
    const SAppSettings& settings = doc.GetEnv().settings;
    m_dwTimeout = settings.m_nTimeout > 0 ? static_cast<uint32_t>(settings.m_nTimeout) : 0;
    m_nAccountTries = settings.m_nRetryGetParam + 1 > 0 ? settings.m_nRetryGetParam + 1 : 1;
    for (const std::string& strMac : vecMacs) {
        SRolloutNode node;
        node.strMac = strMac;
        if (int nIndex = FindNodeByMac(doc, strMac); nIndex >= 0) {
            node.dwIp = doc.GetNode(nIndex)->m_dwIp;
        }
        node.strState = TXT_BATCH_STATE_WAITING;
        m_deqWaiting.push_back(m_vecNodes.size());
        m_vecNodes.push_back(node);
    }
}

CRollout::~CRollout() {
    // Whatever is still open of ours goes (only after a second signal or an
    // exception: a run ends with nothing in flight).
    for (auto& [nNode, pFlight] : m_mapFlights) {
        m_doc.GetTimers().Cancel(pFlight->nTimer);
        m_doc.GetExchanges().Cancel(pFlight->strWireMac, pFlight->wAwaited);
    }
    m_mapFlights.clear();
    m_pPuts.reset();
}

CRollout::SFlight* CRollout::Flight(size_t nNode) {
    auto it = m_mapFlights.find(nNode);
    return it == m_mapFlights.end() ? nullptr : it->second.get();
}

SRolloutCounts CRollout::GetCounts() {
    SRolloutCounts counts;
    for (const SRolloutNode& node : m_vecNodes) {
        counts.nLoaded += node.eResult == ERolloutResult::Loaded ? 1 : 0;
        counts.nFailed += node.eResult == ERolloutResult::Failed ? 1 : 0;
    }
    counts.nInFlight = m_mapFlights.size();
    counts.nRemaining = m_deqWaiting.size();
    const size_t nLeft = counts.nInFlight + counts.nRemaining;
    if (m_nAttemptsEnded > 0 && nLeft > 0) {
        // The work left, at the mean attempt's length (a node in flight has
        // done part of it), spread over the slots that will do it.
        const uint64_t qwMean = m_qwAttemptMs / m_nAttemptsEnded;
        uint64_t qwWork = qwMean * counts.nRemaining;
        CClock& clock = m_doc.GetEnv().clock;
        for (const auto& [nNode, pFlight] : m_mapFlights) {
            uint64_t qwAge = clock.Elapsed(pFlight->dwStart);
            qwWork += qwAge < qwMean ? qwMean - qwAge : 0;
        }
        const size_t nSlots = nLeft < m_plan.nParallel ? nLeft : m_plan.nParallel;
        counts.bEtaKnown = true;
        counts.dwEtaMs = static_cast<uint32_t>(qwWork / nSlots);
    } else if (nLeft == 0) {
        counts.bEtaKnown = true;
    }
    return counts;
}

void CRollout::TellCounts() {
    if (m_fnCounts) {
        m_fnCounts(GetCounts());
    }
}

void CRollout::Run() {
    if (m_pPuts == nullptr) {
        m_pPuts = m_doc.CreateFtpPuts();
    }
    CClock& clock = m_doc.GetEnv().clock;
    uint32_t dwLastTold = clock.GetTickCount();
    size_t nEndsTold = m_nAttemptsEnded;
    TellCounts();
    for (;;) {
        bool bChanged = nEndsTold != m_nAttemptsEnded;
        nEndsTold = m_nAttemptsEnded;
        while (m_mapFlights.size() < m_plan.nParallel && !m_deqWaiting.empty() &&
               !m_doc.IsStopRequested()) {
            size_t nNode = m_deqWaiting.front();
            m_deqWaiting.pop_front();
            Start(nNode);
            bChanged = true;
        }
        if (m_mapFlights.empty() && (m_deqWaiting.empty() || m_doc.IsStopRequested())) {
            break;
        }
        if (bChanged || clock.Elapsed(dwLastTold) >= ROLLOUT_TICK_MS) {
            TellCounts();
            dwLastTold = clock.GetTickCount();
        }
        m_doc.WaitForEvents(ROLLOUT_TICK_MS);
    }
    // What a stop left undone was never touched.
    for (size_t nNode : m_deqWaiting) {
        SRolloutNode& node = m_vecNodes[nNode];
        node.eResult = ERolloutResult::NotDone;
        node.nFailure = DLRESULT_STOPPED;
    }
    m_deqWaiting.clear();
    TellCounts();

    // The batch's words at its end.
    std::string strNotBack;
    std::string strLeftInMode;
    bool bAllLoaded = true;
    for (const SRolloutNode& node : m_vecNodes) {
        bAllLoaded = bAllLoaded && node.eResult == ERolloutResult::Loaded;
        if (node.bNotBack) {
            strNotBack += FormatIpHost(node.dwIp) + "\r\n";
        } else if (node.bLeftInMode) {
            strLeftInMode += FormatIpHost(node.dwIp) + "\r\n";
        }
    }
    CUi& ui = m_doc.GetEnv().ui;
    if (!strNotBack.empty()) {
        ui.ShowMessage(strNotBack + TXT_BATCH_REBOOT_FAILED);
    }
    if (!strLeftInMode.empty()) {
        ui.ShowMessage(strLeftInMode + TXT_BATCH_LEFT_IN_MODE);
    }
    if (bAllLoaded && !m_vecNodes.empty()) {
        ui.ShowMessage(TXT_BATCH_ALL_DONE, EMsgButtons::Ok, EMsgIcon::Information);
    }
}

void CRollout::Start(size_t nNode) {
    SRolloutNode& node = m_vecNodes[nNode];
    auto pFlight = std::make_unique<SFlight>();
    SFlight& flight = *pFlight;
    flight.dwStart = m_doc.GetEnv().clock.GetTickCount();
    flight.nIndex = FindNodeByMac(m_doc, node.strMac);
    m_mapFlights.emplace(nNode, std::move(pFlight));
    ++node.nAttempts;
    node.bLeftInMode = false;
    node.bNotBack = false;
    node.strReadBack.clear();
    if (flight.nIndex < 0) {
        // Gone from the registry: skipped, as the batch skips a row it cannot find.
        Finish(nNode, ERolloutResult::NotDone, DLRESULT_STOPPED, TXT_BATCH_STATE_WAITING, "");
        return;
    }
    const COXParam& registered = *m_doc.GetNode(flight.nIndex);
    node.dwIp = registered.m_dwIp;
    flight.strWireMac = WireMac(registered.m_strMac);
    // The file would go to whichever of them answers first.
    if (SharesAddress(m_doc, flight.nIndex)) {
        char sz[256];
        std::snprintf(sz, sizeof sz, TXT_DOWNLOAD_SHARED_ADDRESS, FormatIpHost(node.dwIp).c_str());
        flight.bNoRetry = true;
        Finish(nNode, ERolloutResult::Failed, DLRESULT_BAD_IMAGE, TXT_BATCH_STATE_WAITING, sz);
        return;
    }
    node.strState = TXT_BATCH_STATE_PREPARING;
    // The kernel's account comes from the node as it runs now, the
    // application's from the node in its setup mode.
    if (m_plan.nKind == DOWNLOAD_KERNEL) {
        FetchAccount(nNode, m_nAccountTries,
                     [this, nNode](int nResult) { AfterKernelAccount(nNode, nResult); });
    } else {
        EnterDownloadMode(nNode);
    }
}

void CRollout::Finish(size_t nNode, ERolloutResult eResult, int nFailure, const char* pszState,
                      const std::string& strReason) {
    SFlight* pFlight = Flight(nNode);
    if (pFlight == nullptr) {
        return;
    }
    SRolloutNode& node = m_vecNodes[nNode];
    uint32_t dwMs = m_doc.GetEnv().clock.Elapsed(pFlight->dwStart);
    node.dwMs += dwMs;
    m_qwAttemptMs += dwMs;
    ++m_nAttemptsEnded;
    node.eResult = eResult;
    node.nFailure = nFailure;
    node.strState = pszState;
    node.strReason = strReason;
    const bool bNoRetry = pFlight->bNoRetry;
    m_doc.GetTimers().Cancel(pFlight->nTimer);
    m_mapFlights.erase(nNode);
    // A failed node goes round again while attempts are left, but not one
    // that holds the file already and only did not come back to operation.
    if (eResult == ERolloutResult::Failed && !node.bNotBack && !bNoRetry &&
        node.nAttempts <= m_plan.nRetry && !m_doc.IsStopRequested()) {
        node.eResult = ERolloutResult::Waiting;
        m_deqWaiting.push_back(nNode);
        return;
    }
    if (m_fnNodeDone) {
        m_fnNodeDone(node);
    }
    TellCounts();
}
