#include "ops/InformationDlg.h"

#include "res/Texts.h"

namespace {
constexpr size_t INFO_MESSAGE_MAX = 100;

// Characters, not bytes: the text is UTF-8.
std::string CutCharacters(const std::string& str, size_t nMax) {
    size_t nChars = 0;
    for (size_t i = 0; i < str.size(); ++i) {
        if ((static_cast<unsigned char>(str[i]) & 0xC0) != 0x80 && nChars++ == nMax) {
            return str.substr(0, i);
        }
    }
    return str;
}

std::string ShownOnLines(std::string str) {
    for (char& c : str) {
        if (c == '\r') {
            c = '\n';
        }
    }
    return str;
}
} // namespace

CInformationDlg::CInformationDlg(const std::string& strMessage)
    : m_strMessage(CutCharacters(strMessage, INFO_MESSAGE_MAX)) {
    SetControls({
        SControl::Captioned(IDC_INFO_TEXT, ECtl::Label, TXT_INFO_TEMPLATE_TEXT),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_INFO_CANCEL),
    });
    SetTitle(TXT_INFO_TITLE);
    SetCaption(IDC_INFO_TEXT, ShownOnLines(m_strMessage));
}

SDialogAction CInformationDlg::OnCommand(CUi& /*ui*/, int /*nId*/) {
    // The button's message goes nowhere; the window stays until its flow ends.
    return SDialogAction::StayOpen();
}
