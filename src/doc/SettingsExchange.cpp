// A node's settings, got by a get-parameters request, shown in the node
// settings dialog; "送信" sends them back and waits for the node's answer from
// inside this dispatch.
#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "link/NodeResponse.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "platform/IpText.h"
#include "res/Texts.h"
#include "ui/Ui.h"

void COrvixDoc::RunSettingsExchange(const SNodeResponse& resp) {
    NODEPARAM param = DecodeParamBlock(resp);
    COXParam node;
    node.m_nModel = MODEL_INDEX_MRV620;
    node.m_dwIp = param.dwOwnIp;
    node.m_strMac = resp.strMac;

    CParamEditor dlg(m_env.defParam);
    dlg.Fill(param);
    dlg.SetMode(PARAMEDIT_GET, GetModeName(resp.byMode), 0);
    if (m_env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    NODEPARAM paramNew = dlg.ReadBack();
    uint32_t dwDest = dlg.IsOutsideNetwork() ? node.m_dwIp : NODE_UNSET_IP;
    // The dialog pumps messages: a stray reply while it was open (a late search
    // answer, a 0x0202, another node's 0x0204) may have changed the pending
    // state. The set's answer is awaited in the state of this exchange.
    int nOutcome = Exchange(
        PENDING_GET_PARAM, [&] { SendSetParam(paramNew, node, dwDest); },
        static_cast<uint32_t>(m_env.settings.m_nTimeout));

    uint32_t dwIp = node.m_dwIp;
    const char* pszFailure = "";
    if (nOutcome == EXCHANGE_ABNORMAL) {
        pszFailure = TXT_ABNORMAL_RESPONSE;
    } else if (nOutcome == EXCHANGE_DONE) {
        dwIp = ParseIpHost(dlg.GetText(IDC_PED_OWN_IP));
    } else {
        pszFailure = TXT_NO_RESPONSE;
    }
    if (pszFailure[0] != '\0') {
        m_env.ui.ShowMessage(pszFailure);
    }
    AddOrUpdateNode(MODEL_INDEX_MRV620, dwIp, node.m_strMac, false, "", "");
    LogOperation(OPLOG_SETTINGS, node.m_strMac, dwIp,
                 nOutcome == EXCHANGE_DONE ? OPLOG_OK : OPLOG_FAILED, pszFailure);
}
