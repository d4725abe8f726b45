#include "doc/FileInfoDlg.h"

#include "res/Texts.h"
#include "ui/Ui.h"

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
} // namespace

CFileInfoDlg::CFileInfoDlg(const std::optional<std::string>& listing)
    : m_bRead(listing.has_value()) {
    SetControls({
        Ctl(IDC_FILEINFO_GROUP, ECtl::Group, TXT_FILEINFO_GROUP),
        Ctl(IDC_FILEINFO_TEXT, ECtl::ReadOnlyEdit),
        Ctl(DIALOG_OK, ECtl::Button, TXT_FILEINFO_OK),
    });
    SetTitle(TXT_FILEINFO_TITLE);
    SetText(IDC_FILEINFO_TEXT, listing.value_or(std::string()));
}

SDialogAction CFileInfoDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_OK || nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(nId);
    }
    return SDialogAction::StayOpen();
}

int CFileInfoDlg::Run(CUi& ui) {
    if (!m_bRead) {
        ui.ShowMessage(TXT_APPINFO_UNREADABLE);
    }
    return ui.DoModal(*this);
}
