#include "doc/FileInfoDlg.h"

#include "res/Texts.h"
#include "ui/Ui.h"

CFileInfoDlg::CFileInfoDlg(const std::optional<std::string>& listing)
    : m_bRead(listing.has_value()) {
    SetControls({
        SControl::Captioned(IDC_FILEINFO_GROUP, ECtl::Group, TXT_FILEINFO_GROUP),
        SControl::Of(IDC_FILEINFO_TEXT, ECtl::ReadOnlyEdit),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_FILEINFO_OK),
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
