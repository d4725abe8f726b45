#pragma once
#include "ui/DialogModel.h"

#include <string>

// The static text above the button.
inline constexpr int IDC_INFO_TEXT = LabelOf(DIALOG_CANCEL);

// The information window shown while a node is busy: a text and a button
// "ｷｬﾝｾﾙ" that nothing listens to (the flows hide it).
class CInformationDlg : public CDialogModel {
public:
    // The message, at most 100 characters, in place of the template's own
    // text; "\r" starts its second line.
    explicit CInformationDlg(const std::string& strMessage);

    const char* GetDialogName() const override { return "CInformationDlg"; }
    SDialogAction OnCommand(CUi& ui, int nId) override;

    const std::string& GetMessage() const { return m_strMessage; }

private:
    std::string m_strMessage;
};
