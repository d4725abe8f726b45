#include "params/ParamSubDialogs.h"

#include "params/ParamControls.h"
#include "params/ParamLists.h"
#include "params/ParamValidation.h"
#include "res/Texts.h"

#include <utility>
#include <vector>

namespace {
// An edit with the label beside it.
void AddEdit(std::vector<SControl>& vec, int nId, size_t nLimit, const char* pszLabel) {
    vec.push_back(SControl::Captioned(LabelOf(nId), ECtl::Label, pszLabel));
    vec.push_back(SControl::Of(nId, ECtl::Edit, nLimit));
}

// OK and Cancel: the sub-dialogs' only ways out.
void AddOkCancel(std::vector<SControl>& vecControls) {
    vecControls.push_back(SControl::Captioned(DIALOG_OK, ECtl::Button, TXT_SUB_OK));
    vecControls.push_back(SControl::Captioned(DIALOG_CANCEL, ECtl::Button, TXT_SUB_CANCEL));
}

SDialogAction CloseOnOkOrCancel(int nId) {
    if (nId == DIALOG_OK || nId == DIALOG_CANCEL) {
        return SDialogAction::CloseWith(nId);
    }
    return SDialogAction::StayOpen();
}

// The SNMP dialog's texts and the members they go to.
struct SSnmpEdit {
    int nId;
    size_t nLimit;
    std::string SSnmpTexts::*pMember;
    const char* pszLabel;
};
const SSnmpEdit SNMP_EDITS[] = {
    {IDC_SNMP_TRAP_IP, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strTrapIp, TXT_SNMP_LBL_TRAP_IP},
    {IDC_SNMP_OBJECT_ID, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strObjectId, TXT_SNMP_LBL_OBJECT_ID},
    {IDC_SNMP_GET_COMMUNITY, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strGetCommunity,
     TXT_SNMP_LBL_GET_COMMUNITY},
    {IDC_SNMP_SET_COMMUNITY, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strSetCommunity,
     TXT_SNMP_LBL_SET_COMMUNITY},
    {IDC_SNMP_TRAP_COMMUNITY, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strTrapCommunity,
     TXT_SNMP_LBL_TRAP_COMMUNITY},
    {IDC_SNMP_CONTACT, PRM_SNMP_LONG_LIMIT, &SSnmpTexts::strContact, TXT_SNMP_LBL_CONTACT},
    {IDC_SNMP_LOCATION, PRM_SNMP_LONG_LIMIT, &SSnmpTexts::strLocation, TXT_SNMP_LBL_LOCATION},
    {IDC_SNMP_NAME, PRM_SNMP_LONG_LIMIT, &SSnmpTexts::strSysName, TXT_SNMP_LBL_NAME},
};
} // namespace

// ------------------------------------------------------------ start programs

CStartProgramDlg::CStartProgramDlg() {
    std::vector<SControl> vecControls;
    for (int i = 0; i < 16; ++i) {
        AddEdit(vecControls, StartProgramControlId(i), PRM_START_PROGRAM_LIMIT,
                TXT_STARTPRG_LABELS[i]);
    }
    AddOkCancel(vecControls);
    SetControls(std::move(vecControls));
    SetTitle(TXT_STARTPRG_TITLE);
}

SDialogAction CStartProgramDlg::OnCommand(CUi& /*ui*/, int nId) {
    return CloseOnOkOrCancel(nId);
}

void CStartProgramDlg::SetNames(const std::array<std::string, 16>& arrNames) {
    for (int i = 0; i < 16; ++i) {
        SetText(StartProgramControlId(i), arrNames[static_cast<size_t>(i)]);
    }
}

std::array<std::string, 16> CStartProgramDlg::GetNames() const {
    std::array<std::string, 16> arrNames;
    for (int i = 0; i < 16; ++i) {
        arrNames[static_cast<size_t>(i)] = GetText(StartProgramControlId(i));
    }
    return arrNames;
}

// ------------------------------------------------------------ general items

CGeneralItemsDlg::CGeneralItemsDlg() {
    std::vector<SControl> vecControls;
    for (int i = 0; i < 8; ++i) {
        AddEdit(vecControls, GeneralItemControlId(i), PRM_GENERAL_ITEM_LIMIT,
                TXT_GENITEM_LABELS[i]);
    }
    // Items 9 and 10, labels included, are there but never shown.
    for (int nId : {IDC_GENITEM_9, IDC_GENITEM_10}) {
        vecControls.push_back(SControl::Captioned(LabelOf(nId), ECtl::Label,
                                                  TXT_GENITEM_LABELS[nId - IDC_GENITEM_FIRST])
                                  .Hidden());
        vecControls.push_back(
            SControl::Of(nId, ECtl::Edit, PRM_GENERAL_ITEM_LIMIT).Hidden().Disabled());
    }
    AddOkCancel(vecControls);
    SetControls(std::move(vecControls));
    SetTitle(TXT_GENITEM_TITLE);
}

SDialogAction CGeneralItemsDlg::OnCommand(CUi& /*ui*/, int nId) {
    return CloseOnOkOrCancel(nId);
}

void CGeneralItemsDlg::SetGeneralItems(const std::array<std::string, 8>& arrItems) {
    for (int i = 0; i < 8; ++i) {
        SetText(GeneralItemControlId(i), arrItems[static_cast<size_t>(i)]);
    }
}

std::array<std::string, 8> CGeneralItemsDlg::GetGeneralItems() const {
    std::array<std::string, 8> arrItems;
    for (int i = 0; i < 8; ++i) {
        arrItems[static_cast<size_t>(i)] = GetText(GeneralItemControlId(i));
    }
    return arrItems;
}

// ------------------------------------------------------------ SNMP

CSnmpDlg::CSnmpDlg() {
    std::vector<SControl> vecControls = {
        SControl::Captioned(LabelOf(IDC_SNMP_ENABLE), ECtl::Label, TXT_SNMP_LBL_ENABLE),
        SControl::Of(IDC_SNMP_ENABLE, ECtl::DropList),
        SControl::Captioned(LabelOf(IDC_SNMP_AUTH_TRAP), ECtl::Label, TXT_SNMP_LBL_AUTH_TRAP),
        SControl::Of(IDC_SNMP_AUTH_TRAP, ECtl::DropList),
    };
    for (const SSnmpEdit& edit : SNMP_EDITS) {
        AddEdit(vecControls, edit.nId, edit.nLimit, edit.pszLabel);
    }
    AddOkCancel(vecControls);
    SetControls(std::move(vecControls));
    SetTitle(TXT_SNMP_TITLE);
    SetItems(IDC_SNMP_ENABLE, ParamListItems(TXT_LIST_FLAG));
    SetItems(IDC_SNMP_AUTH_TRAP, ParamListItems(TXT_LIST_FLAG));
    SetInt(IDC_SNMP_ENABLE, -1);
    SetInt(IDC_SNMP_AUTH_TRAP, -1);
}

SDialogAction CSnmpDlg::OnCommand(CUi& /*ui*/, int nId) {
    if (nId == DIALOG_OK) { // the OK button and Enter alike
        SCheck check = ValidateSnmp(GetSnmp());
        if (!check.Ok()) {
            return SDialogAction::Fail(check.strMessage, check.nFocusId);
        }
    }
    return CloseOnOkOrCancel(nId);
}

void CSnmpDlg::SetSnmp(const SSnmpTexts& snmp) {
    SetInt(IDC_SNMP_ENABLE, SelectorIndex(snmp.nSnmp, GetItems(IDC_SNMP_ENABLE).size()));
    SetInt(IDC_SNMP_AUTH_TRAP, SelectorIndex(snmp.nAuthTrap, GetItems(IDC_SNMP_AUTH_TRAP).size()));
    for (const SSnmpEdit& edit : SNMP_EDITS) {
        SetText(edit.nId, snmp.*edit.pMember);
    }
}

SSnmpTexts CSnmpDlg::GetSnmp() const {
    SSnmpTexts snmp;
    snmp.nSnmp = GetInt(IDC_SNMP_ENABLE);
    snmp.nAuthTrap = GetInt(IDC_SNMP_AUTH_TRAP);
    for (const SSnmpEdit& edit : SNMP_EDITS) {
        snmp.*edit.pMember = GetText(edit.nId);
    }
    return snmp;
}
