#include "ops/NetworkDlg.h"

#include "platform/IpText.h"
#include "registry/RegistryRules.h"
#include "res/Texts.h"

namespace {
std::vector<SControl> NetworkControls() {
    return {
        SControl::Captioned(IDC_NET_NAME_LABEL, ECtl::Label, TXT_NETDLG_NAME),
        SControl::Of(IDC_NET_NAME, ECtl::Edit), // no limit
        SControl::Captioned(IDC_NET_MASK_LABEL, ECtl::Label, TXT_NETDLG_MASK),
        SControl::Of(IDC_NET_MASK, ECtl::Edit, NET_ADDRESS_LIMIT),
        SControl::Captioned(IDC_NET_GATEWAY_LABEL, ECtl::Label, TXT_NETDLG_GATEWAY),
        SControl::Of(IDC_NET_GATEWAY, ECtl::Edit, NET_ADDRESS_LIMIT),
        // Set by the automatic assignment, never here.
        SControl::Captioned(IDC_NET_BASE_IP_LABEL, ECtl::Label, TXT_NETDLG_BASE_IP).Hidden(),
        SControl::Of(IDC_NET_BASE_IP, ECtl::Edit, NET_ADDRESS_LIMIT).Hidden(),
        SControl::Captioned(IDC_NET_INCREMENT_LABEL, ECtl::Label, TXT_NETDLG_INCREMENT).Hidden(),
        SControl::Of(IDC_NET_INCREMENT, ECtl::Edit).Hidden(),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_REGDLG_OK),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_REGDLG_CANCEL),
    };
}
} // namespace

CNetworkDlg::CNetworkDlg(int nMode, const std::string& strName, uint32_t dwMask, uint32_t dwGateway,
                         const std::vector<std::unique_ptr<CNetProperty>>& arrNets)
    : m_nMode(nMode), m_strName(strName), m_dwMask(dwMask), m_dwGateway(dwGateway),
      m_arrNets(arrNets) {
    SetControls(NetworkControls());
    bool bNew = m_nMode == NETDLG_MODE_NEW;
    SetTitle(bNew ? TXT_NETDLG_TITLE_NEW : TXT_NETDLG_TITLE_VIEW);
    SetText(IDC_NET_NAME, m_strName);
    SetText(IDC_NET_MASK, FormatIpHost(m_dwMask));
    SetText(IDC_NET_GATEWAY, FormatIpHost(m_dwGateway));
    for (int nId : {IDC_NET_NAME, IDC_NET_MASK, IDC_NET_GATEWAY}) {
        Enable(nId, bNew);
    }
}

SDialogAction CNetworkDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    }
    if (nId != DIALOG_OK) {
        return SDialogAction::StayOpen();
    }
    if (m_nMode != NETDLG_MODE_NEW) {
        return SDialogAction::CloseWith(DIALOG_OK); // a view: nothing to test
    }
    uint32_t dwMask = 0;
    uint32_t dwGateway = 0;
    SCheck check = CheckNewNetwork(GetText(IDC_NET_NAME), GetText(IDC_NET_MASK),
                                   GetText(IDC_NET_GATEWAY), m_arrNets, dwMask, dwGateway);
    if (!check.Ok()) {
        // Focus 0 (an empty name) leaves the focus where it is.
        return SDialogAction::Fail(check.strMessage, check.nFocusId);
    }
    m_strName = GetText(IDC_NET_NAME);
    m_dwMask = dwMask;
    m_dwGateway = dwGateway;
    return SDialogAction::CloseWith(DIALOG_OK);
}
