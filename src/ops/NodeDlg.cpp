#include "ops/NodeDlg.h"

#include "link/NodeProtocol.h"
#include "platform/IpText.h"
#include "registry/RegistryRules.h"
#include "res/Texts.h"

namespace {
SControl Control(int nId, ECtl eKind, size_t nLimit = 0) {
    SControl control;
    control.nId = nId;
    control.eKind = eKind;
    control.nLimit = nLimit;
    return control;
}

SControl Captioned(int nId, ECtl eKind, const char* pszCaption) {
    SControl control = Control(nId, eKind);
    control.strCaption = pszCaption;
    return control;
}

std::vector<SControl> NodeControls() {
    SControl netName = Control(IDC_NODE_NET_NAME, ECtl::Edit);
    netName.bEnabled = false; // shown, never edited here
    return {
        Captioned(IDC_NODE_NET_NAME_LABEL, ECtl::Label, TXT_NODEDLG_NET_NAME),
        netName,
        Captioned(IDC_NODE_MODEL_LABEL, ECtl::Label, TXT_NODEDLG_MODEL),
        Control(IDC_NODE_MODEL, ECtl::DropList),
        Captioned(IDC_NODE_SERIAL_LABEL, ECtl::Label, TXT_NODEDLG_SERIAL),
        Control(IDC_NODE_SERIAL, ECtl::Edit),
        Captioned(IDC_NODE_MAC_LABEL, ECtl::Label, TXT_NODEDLG_MAC),
        Control(IDC_NODE_MAC, ECtl::UpperEdit, NODE_MAC_LIMIT),
        Captioned(IDC_NODE_IP_LABEL, ECtl::Label, TXT_NODEDLG_IP),
        Control(IDC_NODE_IP, ECtl::Edit, NODE_IP_LIMIT),
        Captioned(IDC_NODE_REMARKS_LABEL, ECtl::Label, TXT_NODEDLG_REMARKS),
        Control(IDC_NODE_REMARKS, ECtl::Edit),
        Captioned(DIALOG_OK, ECtl::Button, TXT_REGDLG_OK),
        Captioned(DIALOG_CANCEL, ECtl::Button, TXT_REGDLG_CANCEL),
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
