#include "ops/NodeCommandDlgs.h"

#include "res/Texts.h"

#include <utility>
#include <vector>

namespace {
SControl OkButton() {
    return SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_NODECMD_OK);
}

SControl CancelButton() {
    return SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_NODECMD_CANCEL);
}

// The box starts clear; where the request cannot go to the node's address it
// stays clear and cannot be ticked.
SControl OutsideNetBox(bool bOffered) {
    SControl control =
        SControl::Captioned(IDC_NODECMD_OUTSIDE_NET, ECtl::CheckBox, TXT_NODECMD_OUTSIDE_NET);
    return bOffered ? control : std::move(control).Disabled();
}

// OK and Cancel end the dialog; Enter is OK and Escape Cancel.
SDialogAction OkOrCancel(int nId) {
    if (nId == DIALOG_OK || nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(nId);
    }
    return SDialogAction::StayOpen();
}
} // namespace

CGetParamDlg::CGetParamDlg(bool bNodeHasAddress) {
    SetControls({SControl::Captioned(IDC_NODECMD_NOTICE, ECtl::Label, TXT_GETDLG_NOTICE),
                 OutsideNetBox(bNodeHasAddress), OkButton(), CancelButton()});
    SetTitle(TXT_GETDLG_TITLE);
    SetInt(IDC_NODECMD_OUTSIDE_NET, 0);
}

SDialogAction CGetParamDlg::OnCommand(CUi& /*ui*/, int nId) {
    return OkOrCancel(nId);
}

CModeChangeDlg::CModeChangeDlg(bool bNodeHasAddress) {
    std::vector<int> vecMembers;
    for (int i = 0; i < MODE_CHOICE_COUNT; ++i) {
        vecMembers.push_back(IDC_MODE_FIRST + i);
    }
    SetControls({SControl::Radio(IDC_MODE_GROUP, vecMembers), OutsideNetBox(bNodeHasAddress),
                 OkButton(), CancelButton()});
    for (int i = 0; i < MODE_CHOICE_COUNT; ++i) {
        SetCaption(IDC_MODE_FIRST + i, TXT_MODEDLG_CHOICES[i]);
    }
    SetTitle(TXT_MODEDLG_TITLE);
    SetInt(IDC_MODE_GROUP, 0);
    SetInt(IDC_NODECMD_OUTSIDE_NET, 0);
}

SDialogAction CModeChangeDlg::OnCommand(CUi& /*ui*/, int nId) {
    return OkOrCancel(nId);
}

int CModeChangeDlg::GetModeCode() const {
    int nChoice = GetInt(IDC_MODE_GROUP);
    // A group is never left without a checked button; the first stands in.
    return (nChoice >= 0 && nChoice < MODE_CHOICE_COUNT) ? MODE_CODES[nChoice] : MODE_CODES[0];
}

CInitializeDlg::CInitializeDlg() {
    SetControls({SControl::Captioned(IDC_NODECMD_NOTICE, ECtl::Label, TXT_INITDLG_NOTICE),
                 OutsideNetBox(false), OkButton(), CancelButton()});
    SetTitle(TXT_INITDLG_TITLE);
    SetInt(IDC_NODECMD_OUTSIDE_NET, 0);
}

SDialogAction CInitializeDlg::OnCommand(CUi& /*ui*/, int nId) {
    return OkOrCancel(nId);
}

CInitModelDlg::CInitModelDlg() {
    SetControls({SControl::Captioned(IDC_NODECMD_NOTICE, ECtl::Label, TXT_INITALL_NOTICE),
                 SControl::Captioned(IDC_INITALL_MODEL_LABEL, ECtl::Label, TXT_INITALL_MODEL),
                 SControl::Of(IDC_INITALL_MODEL, ECtl::DropList), OkButton(), CancelButton()});
    SetTitle(TXT_INITALL_TITLE);
    SetItems(IDC_INITALL_MODEL, std::vector<std::string>{TXT_MODEL_NAME});
    SetInt(IDC_INITALL_MODEL, 0);
}

SDialogAction CInitModelDlg::OnCommand(CUi& /*ui*/, int nId) {
    return OkOrCancel(nId);
}

CNoReplyDlg::CNoReplyDlg(const char* pszTitle, const std::string& strMac) {
    SetControls({SControl::Captioned(IDC_NOREPLY_MAC_LABEL, ECtl::Label, TXT_NOREPLY_MAC_LABEL),
                 SControl::Of(IDC_NOREPLY_MAC, ECtl::ReadOnlyEdit),
                 SControl::Captioned(IDC_NOREPLY_TEXT, ECtl::Label, TXT_NOREPLY_TEXT),
                 SControl::Captioned(IDC_NOREPLY_CONTINUE, ECtl::Button, TXT_NOREPLY_CONTINUE),
                 SControl::Captioned(IDC_NOREPLY_END, ECtl::Button, TXT_NOREPLY_END)});
    SetTitle(pszTitle);
    SetText(IDC_NOREPLY_MAC, strMac);
}

SDialogAction CNoReplyDlg::OnCommand(CUi& /*ui*/, int nId) {
    switch (nId) {
    case IDC_NOREPLY_END:
        return SDialogAction::CloseWith(IDC_NOREPLY_END);
    case IDC_NOREPLY_CONTINUE:
    case DIALOG_OK: // Enter: the first button, "継続"
    case DIALOG_CANCEL:
        return SDialogAction::CloseWith(IDC_NOREPLY_CONTINUE);
    default:
        return SDialogAction::StayOpen();
    }
}

CInitErrorDlg::CInitErrorDlg(const std::string& strMac) : CNoReplyDlg(TXT_INITERR_TITLE, strMac) {}

CAutoSetErrorDlg::CAutoSetErrorDlg(const std::string& strMac)
    : CNoReplyDlg(TXT_AUTOERR_TITLE, strMac) {}
