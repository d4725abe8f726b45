#include "ops/RegistryCommands.h"

#include "doc/OperationLog.h"
#include "doc/OrvixDoc.h"
#include "link/NodeProtocol.h"
#include "ops/NetworkDlg.h"
#include "ops/NodeDlg.h"
#include "res/Texts.h"
#include "ui/BusyScope.h"
#include "ui/Ui.h"

namespace {
const CNetProperty* CurrentNetwork(const COrvixDoc& doc) {
    if (doc.m_nCurNet < 0 || static_cast<size_t>(doc.m_nCurNet) >= doc.m_arrNets.size()) {
        return nullptr;
    }
    return doc.m_arrNets[static_cast<size_t>(doc.m_nCurNet)].get();
}
} // namespace

void RegisterNetwork(COrvixDoc& doc, int /*nSelected*/) {
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_NETWORK_NEW);
    CNetProperty defaults;
    CNetworkDlg dlg(NETDLG_MODE_NEW, "", defaults.m_dwSubnetMask, defaults.m_dwGateway,
                    doc.m_arrNets);
    if (env.ui.DoModal(dlg) == DIALOG_OK) {
        doc.AddNetwork(dlg.GetName(), dlg.GetMask(), dlg.GetGateway());
        doc.LogOperation(OPLOG_NETWORK_ADD, "", 0, OPLOG_OK); // the new one is current
    }
}

void ShowNetworkProperties(COrvixDoc& doc, int /*nSelected*/) {
    const CNetProperty* pNet = CurrentNetwork(doc);
    if (pNet == nullptr) {
        return;
    }
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_NETWORK_PROPERTIES);
    CNetworkDlg dlg(NETDLG_MODE_VIEW, pNet->m_strName, pNet->m_dwSubnetMask, pNet->m_dwGateway,
                    doc.m_arrNets);
    env.ui.DoModal(dlg);
}

void DeleteNetwork(COrvixDoc& doc, int /*nSelected*/) {
    if (CurrentNetwork(doc) == nullptr) {
        return;
    }
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_NETWORK_DELETE);
    if (env.ui.ShowMessage(TXT_NETWORK_DELETE_QUESTION, EMsgButtons::YesNo, EMsgIcon::Question) ==
        EMsgAnswer::Yes) {
        doc.LogOperation(OPLOG_NETWORK_DELETE, "", 0, OPLOG_OK); // named while it is there
        doc.DeleteCurrentNetwork();
    }
}

void RegisterNode(COrvixDoc& doc, int /*nSelected*/) {
    const CNetProperty* pNet = CurrentNetwork(doc);
    if (pNet == nullptr) {
        return;
    }
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_NODE_NEW);
    COXParam node;
    node.m_nModel = MODEL_INDEX_MRV620;
    node.m_dwIp = NODE_UNSET_IP;
    CNodeDlg dlg(NODEDLG_MODE_NEW, pNet->m_strName, node, pNet->m_arrNodes);
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    const COXParam& typed = dlg.GetNode();
    if (!doc.AddOrUpdateNode(typed.m_nModel, typed.m_dwIp, typed.m_strMac, true, typed.m_strSerial,
                             typed.m_strRemarks)) {
        env.ui.ShowMessage(TXT_NODE_NETWORK_FULL);
        doc.LogOperation(OPLOG_NODE_ADD, typed.m_strMac, typed.m_dwIp, OPLOG_FAILED,
                         TXT_NODE_NETWORK_FULL);
        return;
    }
    doc.LogOperation(OPLOG_NODE_ADD, typed.m_strMac, typed.m_dwIp, OPLOG_OK);
}

void ShowNodeProperties(COrvixDoc& doc, int nSelected) {
    const CNetProperty* pNet = CurrentNetwork(doc);
    const COXParam* pNode = doc.GetNode(nSelected);
    if (pNet == nullptr || pNode == nullptr) {
        return;
    }
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_NODE_PROPERTIES);
    CNodeDlg dlg(NODEDLG_MODE_PROPERTIES, pNet->m_strName, *pNode, pNet->m_arrNodes);
    if (env.ui.DoModal(dlg) != DIALOG_OK) {
        return;
    }
    // Only a change is logged, by the fields it changed.
    std::string strChanged;
    if (const COXParam* pNow = doc.GetNode(nSelected)) {
        if (pNow->m_strSerial != dlg.GetNode().m_strSerial) {
            strChanged = TXT_OPLOG_FIELD_SERIAL;
        }
        if (pNow->m_strRemarks != dlg.GetNode().m_strRemarks) {
            strChanged += (strChanged.empty() ? "" : ", ") + std::string(TXT_OPLOG_FIELD_REMARKS);
        }
    }
    doc.UpdateNodeDetails(nSelected, dlg.GetNode().m_strSerial, dlg.GetNode().m_strRemarks);
    if (!strChanged.empty()) {
        doc.LogNodeOperation(OPLOG_NODE_EDIT, nSelected, OPLOG_OK, strChanged);
    }
}

void DeleteSelectedNode(COrvixDoc& doc, int nSelected) {
    if (doc.GetNode(nSelected) == nullptr) {
        return;
    }
    const SDocEnv& env = doc.GetEnv();
    CBusyScope busy(env.ui, env.pump, TXT_STATUS_NODE_DELETE);
    doc.LogNodeOperation(OPLOG_NODE_DELETE, nSelected, OPLOG_OK);
    doc.DeleteNode(nSelected);
}
