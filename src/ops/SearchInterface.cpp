#include "ops/SearchInterface.h"

#include "doc/OrvixDoc.h"
#include "platform/Cp932.h"
#include "platform/IpText.h"
#include "res/Texts.h"
#include "ui/Ui.h"

#include <cstdio>
#include <memory>

void UseSystemInterfaces(COrvixDoc& doc) {
    doc.GetSocket().SetInterfaceSource(std::make_unique<CSystemInterfaceSource>());
}

std::vector<SNetInterface> ListSearchInterfaces(COrvixDoc& doc) {
    return doc.GetSocket().ListBroadcastInterfaces();
}

std::string GetSearchInterface(COrvixDoc& doc) {
    return doc.GetSocket().GetInterfaceChoice();
}

bool SetSearchInterface(COrvixDoc& doc, const std::string& strName) {
    if (!strName.empty()) {
        bool bKnown = false;
        for (const SNetInterface& itf : ListSearchInterfaces(doc)) {
            bKnown = bKnown || itf.strName == strName;
        }
        if (!bKnown) {
            return false;
        }
    }
    doc.GetSocket().SetInterfaceChoice(strName);
    return true;
}

CSearchInterfaceDlg::CSearchInterfaceDlg(std::vector<SNetInterface> vecInterfaces,
                                         const std::string& strChoice)
    : m_vecInterfaces(std::move(vecInterfaces)) {
    SetControls({
        SControl::Captioned(IDC_ITF_LIST_LABEL, ECtl::Label, TXT_ITFDLG_LABEL),
        SControl::Of(IDC_ITF_LIST, ECtl::DropList),
        SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_NODECMD_OK),
        SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_NODECMD_CANCEL),
    });
    SetTitle(TXT_ITFDLG_TITLE);
    // List items are operator texts, CP932; the names are plain ASCII.
    std::string strAll;
    Utf8ToCp932(TXT_ITFDLG_ALL, strAll);
    std::vector<std::string> vecItems{strAll};
    int nSelected = 0;
    for (size_t i = 0; i < m_vecInterfaces.size(); ++i) {
        const SNetInterface& itf = m_vecInterfaces[i];
        char sz[128];
        std::snprintf(sz, sizeof sz, TXT_ITFDLG_ITEM_FORMAT, itf.strName.c_str(),
                      FormatIpHost(itf.dwAddr).c_str());
        vecItems.emplace_back(sz);
        if (itf.strName == strChoice) {
            nSelected = static_cast<int>(i) + 1;
        }
    }
    SetItems(IDC_ITF_LIST, std::move(vecItems));
    SetInt(IDC_ITF_LIST, nSelected);
}

std::string CSearchInterfaceDlg::GetChoice() const {
    int nItem = GetInt(IDC_ITF_LIST);
    if (nItem <= 0 || static_cast<size_t>(nItem) > m_vecInterfaces.size()) {
        return {};
    }
    return m_vecInterfaces[static_cast<size_t>(nItem) - 1].strName;
}

SDialogAction CSearchInterfaceDlg::OnCommand(CUi& /*ui*/, int nId) {
    switch (nId) {
    case DIALOG_OK:
        return SDialogAction::CloseWith(DIALOG_OK);
    case DIALOG_CANCEL:
        return SDialogAction::CloseWith(DIALOG_CANCEL);
    default:
        return SDialogAction::StayOpen();
    }
}

void ChooseSearchInterface(COrvixDoc& doc) {
    CSearchInterfaceDlg dlg(ListSearchInterfaces(doc), GetSearchInterface(doc));
    if (doc.GetEnv().ui.DoModal(dlg) == DIALOG_OK) {
        SetSearchInterface(doc, dlg.GetChoice());
    }
}
