#include "ops/AutoSetDlg.h"

#include "platform/NumberText.h"
#include "registry/RegistryRules.h"
#include "res/Texts.h"

#include <cstdio>
#include <string>

CAutoSetDlg::CAutoSetDlg(const std::vector<std::unique_ptr<CNetProperty>>& arrNets, int nCurNet)
    : m_arrNets(arrNets), m_nCurNet(nCurNet) {
    SetControls({
        SControl::Captioned(IDC_AUTO_NOTICE, ECtl::Label, TXT_AUTODLG_NOTICE),
        SControl::Captioned(IDC_AUTO_MODEL_LABEL, ECtl::Label, TXT_AUTODLG_MODEL),
        SControl::Of(IDC_AUTO_MODEL, ECtl::DropList),
        SControl::Captioned(IDC_AUTO_BASE_IP_LABEL, ECtl::Label, TXT_AUTODLG_BASE_IP),
        SControl::Of(IDC_AUTO_BASE_IP, ECtl::Edit, AUTO_BASE_IP_LIMIT),
        SControl::Captioned(IDC_AUTO_INCREMENT_LABEL, ECtl::Label, TXT_AUTODLG_INCREMENT),
        SControl::Of(IDC_AUTO_INCREMENT, ECtl::Edit, AUTO_INCREMENT_LIMIT),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_NODECMD_OK),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_NODECMD_CANCEL),
    });
    SetTitle(TXT_AUTODLG_TITLE);
    SetItems(IDC_AUTO_MODEL, std::vector<std::string>{TXT_MODEL_NAME});
    SetInt(IDC_AUTO_MODEL, 0);
    SetText(IDC_AUTO_BASE_IP, TXT_AUTODLG_BASE_IP_INITIAL);
    SetText(IDC_AUTO_INCREMENT, "1");
}

SDialogAction CAutoSetDlg::Confirm() {
    // The increment is read the framework's way first, then the base IP is checked.
    int32_t nIncrement = 0;
    if (!ExchangeInt(GetText(IDC_AUTO_INCREMENT), nIncrement)) {
        return SDialogAction::Fail(TXT_PRM_NOT_INTEGER, IDC_AUTO_INCREMENT);
    }
    if (nIncrement < AUTO_INCREMENT_MIN || nIncrement > AUTO_INCREMENT_MAX) {
        char sz[128];
        std::snprintf(sz, sizeof sz, TXT_INT_RANGE_FORMAT, AUTO_INCREMENT_MIN, AUTO_INCREMENT_MAX);
        return SDialogAction::Fail(sz, IDC_AUTO_INCREMENT);
    }
    uint32_t dwBaseIp = 0;
    SCheck check = CheckBaseIp(GetText(IDC_AUTO_BASE_IP), m_arrNets, m_nCurNet, dwBaseIp);
    if (!check.Ok()) {
        return SDialogAction::Fail(check.strMessage, check.nFocusId);
    }
    m_dwBaseIp = dwBaseIp;
    m_nIncrement = nIncrement;
    return SDialogAction::CloseWith(DIALOG_OK);
}

SDialogAction CAutoSetDlg::OnCommand(CUi& /*ui*/, int nId) {
    switch (nId) {
    case DIALOG_OK:
        return Confirm();
    case DIALOG_CANCEL:
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    default:
        return SDialogAction::StayOpen();
    }
}
