#include "ops/NodeCommands.h"

#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "link/NodeProtocol.h"
#include "ops/NodeCommandDlgs.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "platform/IpText.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

namespace {
// The message a node's exchange ended with (none for a success).
const char* OutcomeText(int nOutcome) {
    return nOutcome == EXCHANGE_DONE       ? ""
           : nOutcome == EXCHANGE_ABNORMAL ? TXT_ABNORMAL_RESPONSE
                                           : TXT_NO_RESPONSE;
}

const char* OutcomeOf(int nOutcome) {
    return nOutcome == EXCHANGE_DONE ? OPLOG_OK : OPLOG_FAILED;
}

uint32_t Ms(int32_t nSetting) {
    return static_cast<uint32_t>(nSetting);
}

int Unicast(bool bOutside) {
    return bOutside ? 1 : 0;
}

void SetNodeIp(COrvixDoc& doc, int nIndex, uint32_t dwIp) {
    // Looked up again: replies taken in while waiting may have moved the rows.
    if (COXParam* pNode = doc.GetNode(nIndex)) {
        pNode->m_dwIp = dwIp;
    }
}
} // namespace

void SetNodeIndividually(COrvixDoc& doc, const NODEPARAM& defParam, int nIndex) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_NODE_SET);
    const COXParam* pNode = doc.GetNode(nIndex);
    if (pNode == nullptr) {
        return;
    }
    const uint32_t dwOldIp = pNode->m_dwIp;
    CNodeSocket& socket = doc.GetSocket();
    socket.m_nPending = PENDING_SET_PARAM;
    if (pNode->m_nModel != MODEL_INDEX_MRV620) {
        socket.m_nPending = PENDING_NONE;
        doc.UpdateAllViews();
        return;
    }
    NODEPARAM param = defParam;
    param.dwOwnIp = dwOldIp;
    param.dwSubnetMask = doc.m_pCurNet->m_dwSubnetMask;
    param.dwGateway = doc.m_pCurNet->m_dwGateway;
    CParamEditor dlg(defParam);
    dlg.Fill(param);
    dlg.SetMode(PARAMEDIT_SET, "", PARAMEDIT_NO_MODE);
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        socket.m_nPending = PENDING_NONE;
        doc.UpdateAllViews();
        return;
    }
    NODEPARAM paramNew = dlg.ReadBack();
    // Ticked: to the address the list shows; otherwise by broadcast with the MAC.
    uint32_t dwDest = dlg.IsOutsideNetwork() ? dwOldIp : NODE_UNSET_IP;
    int nOutcome = doc.Exchange(
        PENDING_SET_PARAM,
        [&] {
            doc.SendSetParamToNode(paramNew, nIndex, dwDest);
            SetNodeIp(doc, nIndex, ParseIpHost(dlg.GetText(IDC_PED_OWN_IP)));
        },
        Ms(env.settings.m_nTimeout));
    if (nOutcome == EXCHANGE_NO_REPLY) {
        env.ui.ShowMessage(TXT_NO_RESPONSE);
    }
    if (nOutcome != EXCHANGE_DONE) {
        // A refusal was reported by the dispatch already.
        SetNodeIp(doc, nIndex, dwOldIp);
    }
    doc.LogNodeOperation(OPLOG_SETTINGS, nIndex, OutcomeOf(nOutcome), OutcomeText(nOutcome));
    doc.UpdateAllViews();
}

void GetNodeSettings(COrvixDoc& doc, int nIndex) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_NODE_GET);
    const COXParam* pNode = doc.GetNode(nIndex);
    if (pNode == nullptr) {
        return;
    }
    CGetParamDlg dlg(HasAddress(*pNode));
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    int nUnicast = Unicast(dlg.IsOutsideNetwork());
    // The reply opens the node settings dialog from inside the wait; the state
    // goes back to 0 when that dialog has closed.
    int nOutcome = doc.Exchange(
        PENDING_GET_PARAM, [&] { doc.SendGetParam(nIndex, nUnicast); },
        Ms(env.settings.m_nTimeout));
    if (nOutcome != EXCHANGE_DONE) {
        env.ui.ShowMessage(TXT_NO_RESPONSE);
    }
}

void ChangeNodeMode(COrvixDoc& doc, int nIndex) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_CHANGE_MODE);
    const COXParam* pNode = doc.GetNode(nIndex);
    if (pNode == nullptr) {
        return;
    }
    CModeChangeDlg dlg(HasAddress(*pNode));
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    int nMode = dlg.GetModeCode();
    int nUnicast = Unicast(dlg.IsOutsideNetwork());
    int nOutcome = doc.Exchange(
        PENDING_CHANGE_MODE, [&] { doc.SendChangeMode(nIndex, nMode, nUnicast); },
        Ms(env.settings.m_nTimeout));
    // A refusal was reported by the dispatch already and ends silently.
    if (nOutcome == EXCHANGE_NO_REPLY) {
        env.ui.ShowMessage(TXT_NO_RESPONSE);
    }
    doc.LogNodeOperation(OPLOG_MODE, nIndex, OutcomeOf(nOutcome),
                         nOutcome == EXCHANGE_DONE ? COrvixDoc::GetModeName(nMode)
                                                   : OutcomeText(nOutcome));
}

void InitializeNode(COrvixDoc& doc, int nIndex) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_INITIALIZE);
    if (doc.GetNode(nIndex) == nullptr) {
        return;
    }
    CInitializeDlg dlg;
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    int nOutcome = doc.Exchange(
        PENDING_INITIALIZE, [&] { doc.SendInitialize(nIndex, 0); },
        Ms(env.settings.m_nTimeoutInitial));
    doc.LogNodeOperation(OPLOG_INIT, nIndex, OutcomeOf(nOutcome),
                         nOutcome == EXCHANGE_DONE ? "" : TXT_NO_RESPONSE);
    if (nOutcome == EXCHANGE_DONE) {
        // An initialised node is back on the unset address.
        SetNodeIp(doc, nIndex, NODE_UNSET_IP);
        doc.UpdateAllViews();
    } else {
        env.ui.ShowMessage(TXT_NO_RESPONSE);
    }
}

void InitializeModel(COrvixDoc& doc) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_INITIALIZE);
    if (doc.m_pCurNet == nullptr) {
        return;
    }
    CInitModelDlg dlg;
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    const int nModel = dlg.GetModel();
    env.ui.BeginWaitCursor();
    // The rows are counted again before each node: replies taken in during a
    // wait may add nodes.
    for (int i = 0; doc.GetNode(i) != nullptr; ++i) {
        env.ui.RestoreWaitCursor();
        if (doc.GetNode(i)->m_nModel != nModel) {
            continue;
        }
        int nOutcome = doc.Exchange(
            PENDING_INITIALIZE, [&] { doc.SendInitialize(i, 0); },
            Ms(env.settings.m_nTimeoutInitial));
        doc.LogNodeOperation(OPLOG_INIT, i, OutcomeOf(nOutcome),
                             nOutcome == EXCHANGE_DONE ? "" : TXT_NO_RESPONSE);
        if (nOutcome == EXCHANGE_DONE) {
            SetNodeIp(doc, i, NODE_UNSET_IP);
            doc.UpdateAllViews();
            continue;
        }
        CInitErrorDlg dlgError(doc.GetNode(i)->m_strMac);
        if (CNoReplyDlg::IsEnd(env.ui.DoModal(dlgError))) {
            break;
        }
    }
    env.ui.EndWaitCursor();
}
