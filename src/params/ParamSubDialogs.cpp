#include "params/ParamSubDialogs.h"

#include "params/ParamControls.h"
#include "params/ParamLists.h"
#include "params/ParamValidation.h"
#include "res/Texts.h"

#include <utility>
#include <vector>

namespace {
SControl Control(int nId, ECtl eKind, size_t nLimit = 0) {
    SControl control;
    control.nId = nId;
    control.eKind = eKind;
    control.nLimit = nLimit;
    return control;
}

SControl EditOf(int nId, size_t nLimit) {
    return Control(nId, ECtl::Edit, nLimit);
}

SControl ButtonOf(int nId, const char* pszCaption) {
    SControl control = Control(nId, ECtl::Button);
    control.strCaption = pszCaption;
    return control;
}

// OK and Cancel: the sub-dialogs' only ways out.
void AddOkCancel(std::vector<SControl>& vecControls) {
    vecControls.push_back(ButtonOf(DIALOG_OK, TXT_SUB_OK));
    vecControls.push_back(ButtonOf(DIALOG_CANCEL, TXT_SUB_CANCEL));
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
};
const SSnmpEdit SNMP_EDITS[] = {
    {IDC_SNMP_TRAP_IP, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strTrapIp},
    {IDC_SNMP_OBJECT_ID, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strObjectId},
    {IDC_SNMP_GET_COMMUNITY, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strGetCommunity},
    {IDC_SNMP_SET_COMMUNITY, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strSetCommunity},
    {IDC_SNMP_TRAP_COMMUNITY, PRM_SNMP_SHORT_LIMIT, &SSnmpTexts::strTrapCommunity},
    {IDC_SNMP_CONTACT, PRM_SNMP_LONG_LIMIT, &SSnmpTexts::strContact},
    {IDC_SNMP_LOCATION, PRM_SNMP_LONG_LIMIT, &SSnmpTexts::strLocation},
    {IDC_SNMP_NAME, PRM_SNMP_LONG_LIMIT, &SSnmpTexts::strSysName},
};
} // namespace

// ------------------------------------------------------------ start programs

CStartProgramDlg::CStartProgramDlg() {
    std::vector<SControl> vecControls;
    for (int i = 0; i < 16; ++i) {
        vecControls.push_back(EditOf(StartProgramControlId(i), PRM_START_PROGRAM_LIMIT));
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
        vecControls.push_back(EditOf(GeneralItemControlId(i), PRM_GENERAL_ITEM_LIMIT));
    }
    for (int nId : {IDC_GENITEM_9, IDC_GENITEM_10}) {
        SControl control = EditOf(nId, PRM_GENERAL_ITEM_LIMIT);
        control.bEnabled = false;
        control.bVisible = false;
        vecControls.push_back(control);
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
        Control(IDC_SNMP_ENABLE, ECtl::DropList),
        Control(IDC_SNMP_AUTH_TRAP, ECtl::DropList),
    };
    for (const SSnmpEdit& edit : SNMP_EDITS) {
        vecControls.push_back(EditOf(edit.nId, edit.nLimit));
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
