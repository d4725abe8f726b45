#include "ops/NodeSearch.h"

#include "doc/OrvixDoc.h"
#include "ops/IpSearchDlg.h"
#include "platform/MessagePump.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

#include <cstdio>

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

void ReportRefusedNodes(COrvixDoc& doc) {
    if (!doc.m_setRefusedMacs.empty()) {
        char sz[256];
        std::snprintf(sz, sizeof sz, TXT_NETWORK_FULL_FORMAT,
                      static_cast<int>(doc.m_setRefusedMacs.size()));
        doc.GetEnv().ui.ShowMessage(sz);
    }
}

// The broadcast search. bMarkSilent: registered nodes that stay quiet are
// marked, and the status bar ends with the tally.
void RunBroadcastSearch(COrvixDoc& doc, bool bMarkSilent) {
    const SDocEnv& env = doc.GetEnv();
    SSearchTally tally;
    {
        CBusyScope busy(env.ui, env.pump, TXT_STATUS_SEARCHING);
        CViewUpdateBatch batch(doc);
        doc.m_setRefusedMacs.clear();
        doc.m_contacts.BeginSearch();
        doc.GetSocket().m_nPending = PENDING_SEARCH;
        doc.SendSearch();
        doc.CollectReplies(static_cast<uint32_t>(env.settings.m_nTimeoutSearch));
        doc.GetSocket().m_nPending = PENDING_NONE;
        if (bMarkSilent && doc.m_pCurNet != nullptr) {
            tally = doc.m_contacts.MarkSilent(doc.m_pCurNet->m_arrNodes);
            if (tally.bChanged) {
                doc.UpdateAllViews(); // the marks are drawn with the rows
            }
        }
    }
    if (bMarkSilent && doc.m_pCurNet != nullptr) {
        char sz[128];
        std::snprintf(sz, sizeof sz, TXT_SEARCH_TALLY_FORMAT, tally.nFound, tally.nRegistered,
                      tally.nSilent);
        env.ui.SetStatusText(sz);
    }
    ReportRefusedNodes(doc);
}
} // namespace

void SearchNodes(COrvixDoc& doc) {
    RunBroadcastSearch(doc, true);
}

void RefreshSearch(COrvixDoc& doc) {
    // The list holds only those who answer afterwards: nobody to mark.
    doc.ClearCurrentNodes();
    RunBroadcastSearch(doc, false);
}

void SearchByIp(COrvixDoc& doc) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_IP_SEARCH);
    CIpSearchDlg dlg(doc.m_listIpAddr, doc.m_listSearchTarget);
    if (env.ui.DoModal(dlg) != IPS_RESULT_SEARCH) {
        return;
    }
    env.ui.SetStatusText(TXT_STATUS_SEARCHING);
    CViewUpdateBatch batch(doc);
    doc.m_setRefusedMacs.clear();
    doc.GetSocket().m_nPending = PENDING_SEARCH;
    for (const CIpSearchList& target : doc.m_listSearchTarget) {
        if (doc.SendSearchTo(target.m_strIp) != 0) {
            break;
        }
    }
    // The collection window is a plain pause; replies are merged after it.
    doc.PauseKeepingReplies(static_cast<uint32_t>(env.settings.m_nTimeoutSearch));
    doc.DispatchQueuedDatagrams();
    env.pump.PumpPendingMessages();
    doc.GetSocket().m_nPending = PENDING_NONE;
    ReportRefusedNodes(doc);
}
