#include "ops/NodeDlg.h"

#include "link/NodeProtocol.h"
#include "platform/IpText.h"
#include "registry/RegistryRules.h"
#include "res/Texts.h"

namespace {
std::vector<SControl> NodeControls() {
    return {
        SControl::Captioned(IDC_NODE_NET_NAME_LABEL, ECtl::Label, TXT_NODEDLG_NET_NAME),
        SControl::Of(IDC_NODE_NET_NAME, ECtl::Edit).Disabled(), // shown, never edited here
        SControl::Captioned(IDC_NODE_MODEL_LABEL, ECtl::Label, TXT_NODEDLG_MODEL),
        SControl::Of(IDC_NODE_MODEL, ECtl::DropList),
        SControl::Captioned(IDC_NODE_SERIAL_LABEL, ECtl::Label, TXT_NODEDLG_SERIAL),
        SControl::Of(IDC_NODE_SERIAL, ECtl::Edit),
        SControl::Captioned(IDC_NODE_MAC_LABEL, ECtl::Label, TXT_NODEDLG_MAC),
        SControl::Of(IDC_NODE_MAC, ECtl::UpperEdit, NODE_MAC_LIMIT),
        SControl::Captioned(IDC_NODE_IP_LABEL, ECtl::Label, TXT_NODEDLG_IP),
        SControl::Of(IDC_NODE_IP, ECtl::Edit, NODE_IP_LIMIT),
        SControl::Captioned(IDC_NODE_REMARKS_LABEL, ECtl::Label, TXT_NODEDLG_REMARKS),
        SControl::Of(IDC_NODE_REMARKS, ECtl::Edit),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_REGDLG_OK),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_REGDLG_CANCEL),
    };
}
} // namespace

CNodeDlg::CNodeDlg(int nMode, const std::string& strNetName, const COXParam& node,
                   const std::vector<COXParam>& arrNodes)
    : m_nMode(nMode), m_node(node), m_arrNodes(arrNodes) {
    SetControls(NodeControls());
    bool bNew = m_nMode == NODEDLG_MODE_NEW;
    SetTitle(bNew ? TXT_NODEDLG_TITLE_NEW : TXT_NODEDLG_TITLE_PROPERTIES);
    SetText(IDC_NODE_NET_NAME, strNetName);
    SetItems(IDC_NODE_MODEL, {TXT_MODEL_NAME});
    SetInt(IDC_NODE_MODEL, m_node.m_nModel);
    SetText(IDC_NODE_SERIAL, m_node.m_strSerial);
    SetText(IDC_NODE_MAC, m_node.m_strMac);
    SetText(IDC_NODE_IP, FormatIpHost(m_node.m_dwIp));
    SetText(IDC_NODE_REMARKS, m_node.m_strRemarks);
    // The properties of a node: its identity stays as it is.
    for (int nId : {IDC_NODE_MODEL, IDC_NODE_MAC, IDC_NODE_IP}) {
        Enable(nId, bNew);
    }
}

void CNodeDlg::OnChange(CUi& /*ui*/, int nId) {
    if (nId == IDC_NODE_MODEL) {
        SetText(IDC_NODE_IP, FormatIpHost(NODE_UNSET_IP));
    }
}

SDialogAction CNodeDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    }
    if (nId != DIALOG_OK) {
        return SDialogAction::StayOpen();
    }
    m_node.m_strSerial = GetText(IDC_NODE_SERIAL);
    m_node.m_strRemarks = GetText(IDC_NODE_REMARKS);
    if (m_nMode != NODEDLG_MODE_NEW) {
        return SDialogAction::CloseWith(DIALOG_OK); // only the details change
    }
    int nModel = GetInt(IDC_NODE_MODEL);
    uint32_t dwIp = 0;
    SCheck check =
        CheckNewNode(GetText(IDC_NODE_MAC), GetText(IDC_NODE_IP), nModel, m_arrNodes, dwIp);
    if (!check.Ok()) {
        return SDialogAction::Fail(check.strMessage, check.nFocusId);
    }
    m_node.m_nModel = nModel;
    m_node.m_strMac = GetText(IDC_NODE_MAC);
    m_node.m_dwIp = dwIp;
    return SDialogAction::CloseWith(DIALOG_OK);
}
