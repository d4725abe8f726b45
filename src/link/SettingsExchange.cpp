// A node's settings, got by a get-parameters request, shown in the node
// settings dialog; "送信" sends them back and waits for the node's answer from
// inside this dispatch.
#include "link/NodeCodec.h"
#include "link/NodeProtocol.h"
#include "link/SettingsPayload.h"
#include "params/ParamControls.h"
#include "params/ParamEditor.h"
#include "platform/IpText.h"
#include "platform/Ui.h"
#include "registry/OrvixDoc.h"
#include "res/Texts.h"

#include <cstring>

void COrvixDoc::RunSettingsExchange(uint8_t* pData) {
    NODEPARAM param;
    std::memcpy(&param, pData + NODEOFS_PAYLOAD, sizeof param);
    if (ModelIndexFromCode(pData[NODEOFS_MODEL]) == MODEL_INDEX_MRV620) {
        SwapParamBlock(param, 1);
    }
    COXParam node;
    node.m_nModel = MODEL_INDEX_MRV620;
    node.m_dwIp = param.dwOwnIp;
    node.m_strMac = MacToText(pData + NODEOFS_MAC);

    CParamEditor dlg(m_env.defParam);
    dlg.Fill(param);
    dlg.SetMode(PARAMEDIT_GET, GetModeName(pData[NODEOFS_MODE]), 0);
    if (m_env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    NODEPARAM paramNew = dlg.ReadBack();
    SendSetParam(paramNew, node, dlg.IsOutsideNetwork() ? node.m_dwIp : NODE_UNSET_IP);
    int32_t& nPending = m_pSocket->m_nPending;
    WaitForReply(static_cast<uint32_t>(m_env.settings.m_nTimeout), nPending);

    uint32_t dwIp = node.m_dwIp;
    if (nPending == PENDING_ERROR) {
        m_env.ui.ShowMessage(TXT_ABNORMAL_RESPONSE);
    } else if (nPending == PENDING_NONE) {
        dwIp = ParseIpHost(dlg.GetText(IDC_PED_OWN_IP));
    } else {
        m_env.ui.ShowMessage(TXT_NO_RESPONSE);
    }
    nPending = PENDING_NONE;
    AddOrUpdateNode(MODEL_INDEX_MRV620, dwIp, node.m_strMac, false, "", "");
}
