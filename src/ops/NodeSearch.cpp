#include "ops/NodeSearch.h"

#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "ops/IpSearchDlg.h"
#include "platform/IpText.h"
#include "platform/MessagePump.h"
#include "registry/MacIndex.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

#include <cstdio>
#include <functional>
#include <set>
#include <unordered_map>

namespace {
// Gathers the view updates of one search into one.
class CViewUpdateBatch {
public:
    explicit CViewUpdateBatch(COrvixDoc& doc) : m_doc(doc) { m_doc.HoldViewUpdates(); }
    ~CViewUpdateBatch() { m_doc.ReleaseViewUpdates(); }
    CViewUpdateBatch(const CViewUpdateBatch&) = delete;
    CViewUpdateBatch& operator=(const CViewUpdateBatch&) = delete;

private:
    COrvixDoc& m_doc;
};

// The current network's nodes before a search, so that what the search
// changed is logged node by node afterwards.
class CSearchChanges {
public:
    explicit CSearchChanges(COrvixDoc& doc) : m_doc(doc) {
        if (m_doc.GetNode(0) != nullptr) {
            m_vecBefore = m_doc.m_pCurNet->m_arrNodes;
            for (size_t i = 0; i < m_vecBefore.size(); ++i) {
                m_mapBefore.try_emplace(MacMatchKey(m_vecBefore[i].m_strMac), i);
            }
        }
    }

    // Nodes new to the network, found on another address, and (after a
    // refresh) gone.
    void Log() {
        if (m_doc.GetNode(0) == nullptr && m_mapBefore.empty()) {
            return;
        }
        std::vector<COXParam> vecNow;
        if (m_doc.m_pCurNet != nullptr) {
            vecNow = m_doc.m_pCurNet->m_arrNodes;
        }
        std::unordered_map<std::string, bool> mapSeen;
        for (const COXParam& node : vecNow) {
            std::string strKey = MacMatchKey(node.m_strMac);
            auto it = m_mapBefore.find(strKey);
            if (!mapSeen.try_emplace(strKey, true).second) {
                continue;
            }
            if (it == m_mapBefore.end()) {
                m_doc.LogOperation(OPLOG_SEARCH_ADD, node.m_strMac, node.m_dwIp, OPLOG_OK);
            } else if (const COXParam& before = m_vecBefore[it->second];
                       before.m_dwIp != node.m_dwIp) {
                m_doc.LogOperation(OPLOG_SEARCH_ADDRESS, node.m_strMac, node.m_dwIp, OPLOG_OK,
                                   FormatIpHost(before.m_dwIp) + " -> " +
                                       FormatIpHost(node.m_dwIp));
            }
        }
        for (const COXParam& node : m_vecBefore) {
            if (mapSeen.count(MacMatchKey(node.m_strMac)) == 0) {
                m_doc.LogOperation(OPLOG_SEARCH_DROP, node.m_strMac, node.m_dwIp, OPLOG_OK);
            }
        }
    }

private:
    COrvixDoc& m_doc;
    std::vector<COXParam> m_vecBefore;
    std::unordered_map<std::string, size_t> m_mapBefore; // first position of each MAC
};

void ReportRefusedNodes(COrvixDoc& doc) {
    if (!doc.m_setRefusedMacs.empty()) {
        char sz[256];
        std::snprintf(sz, sizeof sz, TXT_NETWORK_FULL_FORMAT,
                      static_cast<int>(doc.m_setRefusedMacs.size()));
        doc.GetEnv().ui.ShowMessage(sz);
    }
}

// After a search: the marks of the nodes it asked (fnAsked; none: every
// node), and its counts in the status bar's pane of their own.
void ShowSearchCounts(COrvixDoc& doc, const std::function<bool(const COXParam&)>& fnAsked) {
    if (doc.m_pCurNet == nullptr) {
        return;
    }
    SSearchTally tally = doc.m_contacts.MarkSilent(doc.m_pCurNet->m_arrNodes, fnAsked);
    if (tally.bChanged) {
        doc.UpdateAllViews(); // the marks are drawn with the rows
    }
    char sz[128];
    std::snprintf(sz, sizeof sz, TXT_SEARCH_TALLY_FORMAT, tally.nFound, tally.nRegistered,
                  tally.nSilent);
    doc.GetEnv().ui.SetSearchCounts(sz);
}

// The broadcast search; every node is asked.
void RunBroadcastSearch(COrvixDoc& doc) {
    const SDocEnv& env = doc.GetEnv();
    {
        CBusyScope busy(env.ui, env.pump, TXT_STATUS_SEARCHING);
        CViewUpdateBatch batch(doc);
        doc.m_setRefusedMacs.clear();
        doc.m_contacts.BeginSearch();
        doc.GetSocket().m_nPending = PENDING_SEARCH;
        doc.SendSearch();
        doc.CollectReplies(static_cast<uint32_t>(env.settings.m_nTimeoutSearch));
        doc.GetSocket().m_nPending = PENDING_NONE;
        ShowSearchCounts(doc, nullptr);
    }
    ReportRefusedNodes(doc);
}
} // namespace

void SearchNodes(COrvixDoc& doc) {
    CSearchChanges changes(doc);
    RunBroadcastSearch(doc);
    changes.Log();
}

void RefreshSearch(COrvixDoc& doc) {
    CSearchChanges changes(doc);
    // The list holds only those who answer afterwards.
    doc.ClearCurrentNodes();
    RunBroadcastSearch(doc);
    changes.Log();
}

void SearchByIp(COrvixDoc& doc) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_IP_SEARCH);
    CIpSearchDlg dlg(doc.m_listIpAddr, doc.m_listSearchTarget);
    if (env.ui.DoModal(dlg) != IPS_RESULT_SEARCH) {
        return;
    }
    CSearchChanges changes(doc);
    env.ui.SetStatusText(TXT_STATUS_SEARCHING);
    CViewUpdateBatch batch(doc);
    doc.m_setRefusedMacs.clear();
    doc.m_contacts.BeginSearch();
    doc.GetSocket().m_nPending = PENDING_SEARCH;
    std::set<uint32_t> setAsked;
    for (const CIpSearchList& target : doc.m_listSearchTarget) {
        setAsked.insert(ParseIpHost(target.m_strIp));
        if (doc.SendSearchTo(target.m_strIp) != 0) {
            break;
        }
    }
    // The collection window is a plain pause; replies are merged after it.
    doc.PauseKeepingReplies(static_cast<uint32_t>(env.settings.m_nTimeoutSearch));
    doc.DispatchQueuedDatagrams();
    env.pump.PumpPendingMessages();
    doc.GetSocket().m_nPending = PENDING_NONE;
    // A node counts as silent only when one of the targets was its address.
    const bool bAll = setAsked.count(IP_BROADCAST) != 0;
    ShowSearchCounts(
        doc, [&](const COXParam& node) { return bAll || setAsked.count(node.m_dwIp) != 0; });
    changes.Log();
    ReportRefusedNodes(doc);
}
