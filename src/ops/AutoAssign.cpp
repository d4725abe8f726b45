#include "ops/AutoAssign.h"

#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "link/NodeProtocol.h"
#include "ops/AutoAssignRun.h"
#include "ops/AutoSetDlg.h"
#include "ops/NodeCommandDlgs.h"
#include "platform/HostAddress.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

namespace {
// The run on the document's current network: each node is sent the defaults
// with its new address and the network's gateway and mask, by broadcast to
// its MAC.
class CDocAssignSite : public CAutoAssignSite {
public:
    CDocAssignSite(COrvixDoc& doc, const NODEPARAM& defParam) : m_doc(doc), m_defParam(defParam) {}

    std::vector<COXParam>& Rows() override {
        m_doc.GetNode(0); // refreshes the current network
        return m_doc.m_pCurNet->m_arrNodes;
    }
    void OnNextRow() override { m_doc.GetEnv().ui.RestoreWaitCursor(); }
    bool ShouldStop() const override { return m_doc.IsStopRequested(); }
    uint32_t GetRevision() const override { return m_doc.GetRegistryRevision(); }
    void UpdateViews() override { m_doc.UpdateAllViews(); }

    EAssignOutcome Offer(size_t nRow) override {
        const SDocEnv& env = m_doc.GetEnv();
        const int nIndex = static_cast<int>(nRow);
        const COXParam& node = Rows()[nRow];
        const bool bSend = node.m_nModel == MODEL_INDEX_MRV620;
        NODEPARAM param = m_defParam;
        param.dwOwnIp = node.m_dwIp;
        param.dwGateway = m_doc.m_pCurNet->m_dwGateway;
        param.dwSubnetMask = m_doc.m_pCurNet->m_dwSubnetMask;
        int nOutcome = m_doc.Exchange(
            PENDING_SET_PARAM,
            [&] {
                if (bSend) {
                    m_doc.SendSetParamToNode(param, nIndex, NODE_UNSET_IP);
                }
            },
            static_cast<uint32_t>(env.settings.m_nTimeoutAutoSet));
        // Logged with the address offered, whatever became of it.
        if (nOutcome == EXCHANGE_DONE) {
            m_doc.LogNodeOperation(OPLOG_AUTOSET, nIndex, OPLOG_OK);
            return EAssignOutcome::Kept;
        }
        m_doc.LogNodeOperation(OPLOG_AUTOSET, nIndex, OPLOG_FAILED,
                               nOutcome == EXCHANGE_ABNORMAL ? TXT_ABNORMAL_RESPONSE
                                                             : TXT_NO_RESPONSE);
        if (nOutcome == EXCHANGE_ABNORMAL) {
            return EAssignOutcome::Refused; // reported by the dispatch
        }
        CAutoSetErrorDlg dlg(Rows()[nRow].m_strMac);
        return CNoReplyDlg::IsEnd(env.ui.DoModal(dlg)) ? EAssignOutcome::SilentEndOfRun
                                                       : EAssignOutcome::Silent;
    }

private:
    COrvixDoc& m_doc;
    const NODEPARAM& m_defParam;
};
} // namespace

void AutoAssignAddresses(COrvixDoc& doc, const NODEPARAM& defParam,
                         const PcAddressFn& fnPcAddress) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_AUTO_SET);
    if (doc.GetNode(0) == nullptr) {
        return; // the command needs rows
    }
    SAutoAssignPlan plan;
    CAutoSetDlg dlg(doc.m_arrNets, doc.m_nCurNet);
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    doc.SetAssignmentBase(dlg.GetBaseIp(), dlg.GetIncrement());
    plan.nModel = dlg.GetModel();
    // The one model's defaults carry the destination address.
    plan.bDestKnown = plan.nModel == MODEL_INDEX_MRV620;
    plan.dwDestIp = defParam.dwDestIp;
    const CNetProperty& net = *doc.m_pCurNet;
    plan.dwBaseIp = net.m_dwBaseIp;
    plan.dwMask = net.m_dwSubnetMask;
    plan.dwIncrement = net.m_nIpIncrement;
    if (fnPcAddress) {
        plan.vecPcIps = fnPcAddress(plan.dwBaseIp);
    }

    env.ui.BeginWaitCursor();
    CDocAssignSite site(doc, defParam);
    if (RunAutoAssignment(plan, site) == EAutoAssignEnd::NoFreeAddress) {
        env.ui.ShowMessage(TXT_AUTO_NO_FREE_ADDRESS);
    }
    env.ui.EndWaitCursor();
    doc.UpdateAllViews();
}

void AutoAssignAddresses(COrvixDoc& doc, const NODEPARAM& defParam) {
    AutoAssignAddresses(doc, defParam, GetPcAddresses);
}
