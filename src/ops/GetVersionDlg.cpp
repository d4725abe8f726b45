#include "ops/GetVersionDlg.h"

#include "res/Texts.h"

namespace {
// One control of the table (the label and group ids follow the forms' rule:
// label of control N is N + 10000, groups from 20001).
SControl Ctl(int nId, ECtl eKind, std::string strCaption = {}) {
    SControl control;
    control.nId = nId;
    control.eKind = eKind;
    control.strCaption = std::move(strCaption);
    return control;
}

SControl EnabledIf(SControl control, bool bEnabled) {
    control.bEnabled = bEnabled;
    return control;
}
} // namespace

CGetVersionDlg::CGetVersionDlg(bool bHasAddress) {
    SetControls({
        Ctl(IDC_GETVER_TEXT, ECtl::Label, TXT_GETVER_TEXT),
        EnabledIf(Ctl(IDC_GETVER_OUTSIDE, ECtl::CheckBox, TXT_GETVER_OUTSIDE), bHasAddress),
        Ctl(DIALOG_OK, ECtl::Button, TXT_GETVER_OK),
        Ctl(DIALOG_CANCEL, ECtl::Button, TXT_GETVER_CANCEL),
    });
    SetTitle(TXT_GETVER_TITLE);
    SetInt(IDC_GETVER_OUTSIDE, 0);
}

SDialogAction CGetVersionDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_OK || nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(nId);
    }
    return SDialogAction::StayOpen();
}
