#include "ops/GetVersionDlg.h"

#include "res/Texts.h"

CGetVersionDlg::CGetVersionDlg(bool bHasAddress) {
    SetControls({
        SControl::Captioned(IDC_GETVER_TEXT, ECtl::Label, TXT_GETVER_TEXT),
        SControl::Captioned(IDC_GETVER_OUTSIDE, ECtl::CheckBox, TXT_GETVER_OUTSIDE),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_GETVER_OK),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_GETVER_CANCEL),
    });
    SetTitle(TXT_GETVER_TITLE);
    // Without an address only a broadcast can reach the node.
    Enable(IDC_GETVER_OUTSIDE, bHasAddress);
    SetInt(IDC_GETVER_OUTSIDE, 0);
}

SDialogAction CGetVersionDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_OK || nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(nId);
    }
    return SDialogAction::StayOpen();
}
